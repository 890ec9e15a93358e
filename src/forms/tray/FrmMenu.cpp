#include "forms/tray/FrmMenu.h"

#include "desktop/WindowSystem.h"
#include "forms/record/Form1.h"
#include "forms/search/SrchDialog.h"
#include "forms/tray/AboutDialog.h"
#include "forms/tray/FrmMenuLayout.h"
#include "shell/Artwork.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <span>

namespace {
constexpr int TrayWatchMs = 2000;
}

FrmMenu::TrayCode FrmMenu::trayCodeFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return LeftButtonUp;
    case QSystemTrayIcon::Context:
        return RightButtonUp;
    case QSystemTrayIcon::DoubleClick:
        return LeftButtonDoubleClick;
    case QSystemTrayIcon::MiddleClick:
        return MiddleButtonUp;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return MouseMove;
}

FrmMenu::FrmMenu()
{
    buildMenus();
}

FrmMenu::~FrmMenu() = default;

void FrmMenu::buildMenus()
{
    const std::pair<QMenu **, std::span<const FrmMenuLayout::MenuItemRow>> menus[] = {
        {&PopMenu, FrmMenuLayout::PopMenu}, {&TaskMenu, FrmMenuLayout::TaskMenu}};
    for (const auto &[menu, items] : menus) {
        *menu = new QMenu(this);
        for (const FrmMenuLayout::MenuItemRow &row : items) {
            QAction *action =
                row.handler ? (*menu)->addAction(QString::fromLatin1(row.caption)) : (*menu)->addSeparator();
            action->setObjectName(QString::fromLatin1(row.name));
            if (row.keep)
                row.keep(*this, action);
            if (row.handler)
                connect(action, &QAction::triggered, this, row.handler);
        }
    }
    PopMenu->setObjectName(QStringLiteral("PopMenu"));
    TaskMenu->setObjectName(QStringLiteral("TaskMenu"));
}

void FrmMenu::Form_Load()
{
    setWindowTitle(QString::fromLatin1(FrmMenuLayout::Caption));
    MnuLock_Click();
    // The record window is about to be shown.
    MnuRestore->setVisible(false);
    MnuTskRestore->setVisible(false);
    addTrayIcon();
    trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
    // A notification area may come (an extension, a panel started later) or
    // go; asking costs one round trip, so it is asked every few seconds.
    auto *trayWatch = new QTimer(this);
    trayWatch->setInterval(TrayWatchMs);
    connect(trayWatch, &QTimer::timeout, this, &FrmMenu::followTray);
    trayWatch->start();
}

bool FrmMenu::hidesToTray() const
{
    return trayAvailable_ || !WindowSystem::isDesktop();
}

void FrmMenu::followTray()
{
    trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
    Form1 *window = Forms::Loaded<Form1>();
    if (hidesToTray() || !MnuRestore->isVisible() || !window || window->isVisible())
        return;
    // Hidden to a tray that is gone: nothing could bring the window back.
    formState_ = Qt::WindowNoState;
    showHideItems(false);
    window->minimizeToTaskbar();
}

void FrmMenu::showHideItems(bool hidden)
{
    MnuHide->setVisible(!hidden);
    MnuRestore->setVisible(hidden);
    MnuTskMinimize->setVisible(!hidden);
    MnuTskRestore->setVisible(hidden);
}

void FrmMenu::addTrayIcon()
{
    const QIcon icon = Artwork::appIcon();
    setWindowIcon(icon);
    trayIcon_ = new QSystemTrayIcon(icon, this);
    trayIcon_->setToolTip(QString::fromLatin1(FrmMenuLayout::TrayToolTip));
    // Queued, as a window message would be: a handler that ends the program
    // must not delete the icon while the icon is still delivering the click.
    connect(
        trayIcon_, &QSystemTrayIcon::activated, this,
        [this](QSystemTrayIcon::ActivationReason reason) { TrayCallback(trayCodeFor(reason)); }, Qt::QueuedConnection);
    // Without a tray host the icon simply does not appear; Qt embeds it if a
    // host starts later.
    trayIcon_->show();
}

bool FrmMenu::Form_QueryUnload()
{
    // The tray's Exit closes the record window too: its pending edit is settled first.
    Form1 *window = Forms::Loaded<Form1>();
    return !window || window->isUnloading() || window->Form_QueryUnload();
}

void FrmMenu::Form_Unload()
{
    // The icon leaves the tray before any window goes.
    delete trayIcon_;
    Forms::Unload<SrchDialog>();
    // An About box left open would keep the program running after Exit.
    Forms::Unload<AboutDialog>();
    Forms::Unload<Form1>();
}

void FrmMenu::TrayCallback(int code)
{
    // Qt's pop-up menus close by themselves on a click elsewhere, so the form
    // needs no foreground window of its own first.
    if (code == LeftButtonUp) {
        QPointer<Form1> window = Forms::Loaded<Form1>();
        if (window && !window->isVisible())
            MnuRestore_Click();
        QCoreApplication::processEvents();
        if (window && !window->isUnloading())
            window->showRestored();
    } else if (code == RightButtonUp) {
        TaskMenu->popup(QCursor::pos());
    }
}

void FrmMenu::setFormState(Qt::WindowState state)
{
    formState_ = state;
    Form_Resize();
}

void FrmMenu::Form_Resize()
{
    Form1 *window = Forms::Loaded<Form1>();
    if (formState_ != Qt::WindowMinimized) {
        hide();
        if (window)
            window->showRestored();
        MnuRestore->setVisible(false);
        MnuHide->setVisible(true);
    }
    const QString jobNumber = window ? window->TxtNumber->text() : QString();
    setWindowTitle(QString::fromLatin1(FrmMenuLayout::ResizedCaptionPrefix) + jobNumber + QLatin1Char(')'));
}

void FrmMenu::MnuHide_Click()
{
    if (!hidesToTray()) {
        if (Form1 *window = Forms::Loaded<Form1>())
            window->minimizeToTaskbar();
        return;
    }
    showHideItems(true);
    if (Form1 *window = Forms::Loaded<Form1>()) {
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
        window->hide();
    }
    setFormState(Qt::WindowMinimized);
    if (SrchDialog *search = Forms::Loaded<SrchDialog>())
        search->hide();
}

void FrmMenu::MnuRestore_Click()
{
    setFormState(Qt::WindowNoState);
    showHideItems(false);
    if (Form1 *window = Forms::Loaded<Form1>())
        window->showRestored();
}

// Both menus' items already follow the operations these run.
void FrmMenu::MnuTskMinimize_Click()
{
    MnuHide_Click();
}

void FrmMenu::MnuTskRestore_Click()
{
    MnuRestore_Click();
}

void FrmMenu::MnuSearch_Click()
{
    Forms::Get<SrchDialog>()->showAndFocus();
}

void FrmMenu::MnuHelp_Click()
{
    Forms::Get<Form1>()->ImgQ_Click();
}

void FrmMenu::MnuAbout_Click()
{
    // It closes as it loses the keyboard, so it takes the keyboard as it opens:
    // not every window manager gives it to a new small window of its own.
    AboutDialog *about = Forms::Get<AboutDialog>();
    about->show();
    about->activateWindow();
}

void FrmMenu::MnuExit_Click()
{
    Unload();
}

void FrmMenu::MnuTskExit_Click()
{
    Unload();
}
