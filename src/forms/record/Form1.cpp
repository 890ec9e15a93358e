#include "forms/record/Form1.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/DataEnvironment1.h"
#include "desktop/MsgBox.h"
#include "desktop/Settings.h"
#include "desktop/WindowSystem.h"
#include "desktop/X11Window.h"
#include "forms/record/Form1DrawingLayout.h"
#include "forms/record/Form1Layout.h"
#include "forms/record/StoreConflict.h"
#include "forms/search/SrchDialog.h"
#include "forms/tray/FrmMenu.h"
#include "program/ProgramFacts.h"
#include "shell/FrmFakeMin.h"
#include "shell/clsTransForm.h"
#include "widgets/FileListBox.h"
#include "widgets/LabelFit.h"
#include "widgets/TextBinder.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

// Borderless, and an ordinary window otherwise: the task bar, the window
// switcher and the overview list it, so it is never out of reach.
Form1::Form1() : Form(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(QString::fromLatin1(Form1Layout::Caption));
    setFixedSize(twipsRect(0, 0, Form1Layout::Width, Form1Layout::Height).size());
    // Where the outline cannot cut what is drawn, the skin is transparent outside it.
    setAttribute(Qt::WA_TranslucentBackground, WindowSystem::drawsOutsideMask());
    if (WindowSystem::placesWindows())
        move(rememberedPosition().value_or(QPoint(twipsToPixels(Form1Layout::Left), twipsToPixels(Form1Layout::Top))));
    TabOrder order;
    buildControls(order);
    buildLockImages();
    buildShell();
    buildDrawingPanel(order);
    order.apply();
    // The drawing list follows the locate button, whose file it shows.
    QWidget::setTabOrder(CmdExplore, File1);
    rememberDesignGeometry();
    followWidth();
    connectHandlers();
    buildShortcuts();
}

Form1::~Form1() = default;

Recordset &Form1::rs() const
{
    return DataEnvironment1::instance().rsConJobnr;
}

void Form1::buildControls(TabOrder &order)
{
    const std::vector<QWidget *> captions = createControls(*this, Form1Layout::Captions, uiFont("Tahoma", 8.25, true));
    const std::vector<QWidget *> boxes =
        createControls(*this, Form1Layout::Boxes, uiFont("MS Sans Serif", 8.25), &order);
    // Each caption stands right above its box (the tables list them in one
    // order), and a screen reader announces the box by it.
    for (size_t i = 0; i < captions.size(); ++i) {
        fitCaptionAbove(captions[i], boxes[i]);
        auto *caption = static_cast<QLabel *>(captions[i]);
        caption->setBuddy(boxes[i]);
        boxes[i]->setAccessibleName(caption->text());
    }
    createControls(*this, Form1Layout::RecordButtons, uiFont("MS Sans Serif", 8.25), &order);

    binder_ = new TextBinder(rs(), this);
    for (size_t field = 0; field < CatalogueFields.size(); ++field) {
        QWidget *box = boxes[Form1Layout::FieldBoxRows[field]];
        const QString name = QString::fromUtf8(CatalogueFields[field].field);
        if (auto *line = qobject_cast<QLineEdit *>(box))
            binder_->bind(line, name);
        else
            binder_->bind(qobject_cast<QPlainTextEdit *>(box), name);
        box->installEventFilter(this);
    }
}

void Form1::connectHandlers()
{
    const std::pair<QPushButton *, void (Form1::*)()> clicks[] = {
        {Command3, &Form1::Command3_Click},   {Command4, &Form1::Command4_Click},   {Command5, &Form1::Command5_Click},
        {Command6, &Form1::Command6_Click},   {Command7, &Form1::Command7_Click},   {CmdAdd, &Form1::CmdAdd_Click},
        {CmdDelete, &Form1::CmdDelete_Click}, {CmdUpdate, &Form1::CmdUpdate_Click},
    };
    for (const auto &[button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, handler);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // A line box gives the window's shortcuts way; the description box keeps
    // Ctrl+Home and Ctrl+End for moving within its text.
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit *>(watched)
        && isOwnShortcut(static_cast<QKeyEvent *>(event)))
        return true;
    // Focus leaving the whole window (another program, a menu) is no focus loss of the box.
    const auto reason =
        event->type() == QEvent::FocusOut ? static_cast<QFocusEvent *>(event)->reason() : Qt::OtherFocusReason;
    if (event->type() == QEvent::FocusOut && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        const std::pair<QObject *, void (Form1::*)()> lostFocus[] = {
            {TxtNumber, &Form1::TxtNumber_LostFocus},   {TxtClient, &Form1::TxtClient_LostFocus},
            {txtDate, &Form1::txtDate_LostFocus},       {TxtName, &Form1::TxtName_LostFocus},
            {TxtDesc, &Form1::TxtDesc_LostFocus},       {TxtCounty, &Form1::TxtCounty_LostFocus},
            {TxtFileNum, &Form1::TxtFileNum_LostFocus}, {txtFileLoc, &Form1::txtFileLoc_LostFocus},
        };
        for (const auto &[box, handler] : lostFocus) {
            if (box == watched)
                (this->*handler)();
        }
    }
    return Form::eventFilter(watched, event);
}

bool Form1::perform(const std::function<bool()> &command)
{
    return performSettled(rs(), this, command);
}

bool Form1::Form_QueryUnload()
{
    // Nothing typed is lost: a pending edit is stored, or the user decides.
    return !rs().editPending()
        || performSettled(
            rs(), this, [this] { return rs().Update(); }, true);
}

void Form1::Form_Load()
{
    shapeFromRegionFile();
    // The other long-lived windows load with the record window, before it is shown.
    // The tray form's load locks the window and puts the icon in the tray.
    Forms::Get<FrmMenu>();
    Forms::Get<SrchDialog>()->hide();
    // A record that cannot be read is reported once; its boxes stay empty.
    connect(&rs(), &Recordset::recordUnreadable, this,
            [](const QString &reason) { MsgBox(reason, MsgIcon::Exclamation); });
    // An empty catalogue has no last record; the window opens with empty boxes.
    rs().MoveLast();
    // The placeholder's first caption names the record on screen, so it loads
    // once the window shows its first record.
    FrmFakeMin::setJobNumberSource([box = QPointer<QLineEdit>(TxtNumber)] { return box ? box->text() : QString(); });
    connect(Forms::Get<FrmFakeMin>(), &FrmFakeMin::restoreRequested, this, [this] { showRestored(); });
    File1->setToolTip(QString::fromLatin1(Form1DrawingLayout::File1LoadedTip));
}

void Form1::showRestored(const QByteArray &launchToken)
{
    // A hide to the tray minimizes the window first, which leaves "start
    // iconic" in its hints; mapped with it, the window manager may keep the
    // window iconic whatever it is asked next. So the window is told to start
    // normal and leaves the minimized state before it is mapped again.
    X11Window::setStartsNormal(this);
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    // The program has one entry in the task bar: the placeholder gives way.
    if (FrmFakeMin *placeholder = Forms::Loaded<FrmFakeMin>())
        placeholder->hide();
    show();
    raise();
    // While a modal box is open the record window cannot take the focus.
    if (!QApplication::activeModalWidget())
        WindowSystem::bringToFront(this, launchToken);
    restored_.start();
}

// The result of a restore is checked: should the window manager still make
// the window iconic right after it came back, it is asked once more.
void Form1::changeEvent(QEvent *event)
{
    Form::changeEvent(event);
    // A Wayland desktop never says that it brought a minimized window back;
    // that the window has the keyboard again says it.
    if (event->type() == QEvent::ActivationChange && WindowSystem::isWayland() && isVisible() && isActiveWindow()
        && isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    constexpr qint64 JustRestoredMs = 1000;
    if (event->type() == QEvent::WindowStateChange && event->spontaneous() && isMinimized() && isVisible()
        && restored_.isValid() && restored_.elapsed() < JustRestoredMs) {
        showRestored();
        restored_.invalidate(); // once: a window manager that insists has the last word
    }
}

// Where the user left the window last time; the screen may have changed since,
// so the window is still kept on screen when it is shown.
std::optional<QPoint> Form1::rememberedPosition()
{
    const std::optional<int> left = pixelSetting(SettingsKeys::WindowLeft), top = pixelSetting(SettingsKeys::WindowTop);
    if (!left || !top)
        return std::nullopt;
    return QPoint(*left, *top);
}

void Form1::Form_Unload()
{
    // A desktop that places windows itself tells no position worth keeping.
    if (WindowSystem::placesWindows()) {
        saveSetting(SettingsKeys::WindowLeft, QString::number(pos().x()));
        saveSetting(SettingsKeys::WindowTop, QString::number(pos().y()));
    }
    TransForm_.reset();
    // The tray form's close removes the icon and unloads the search dialog.
    Forms::Unload<FrmMenu>();
    Forms::Unload<FrmFakeMin>();
}
