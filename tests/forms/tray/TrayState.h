#pragma once

// One check of everything the tray menus and the edit lock must agree on,
// shared by the tray and lock tests.
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "widgets/ImageControl.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

namespace TrayState {

struct Expected
{
    bool hidden; // the record window is hidden to the tray
    bool locked;
};

inline QAction *action(FrmMenu *menu, const char *name)
{
    return menu->findChild<QAction *>(QString::fromLatin1(name));
}

inline bool boxReadOnly(QWidget *box)
{
    if (auto *line = qobject_cast<QLineEdit *>(box))
        return line->isReadOnly();
    return qobject_cast<QPlainTextEdit *>(box)->isReadOnly();
}

// Every broken rule, worded; empty when the state is the expected one.
inline QStringList violations(Expected expected)
{
    QStringList broken;
    auto expect = [&broken](bool ok, const QString &rule) {
        if (!ok)
            broken << rule;
    };
    Form1 *window = Forms::Loaded<Form1>();
    FrmMenu *menu = Forms::Loaded<FrmMenu>();
    if (!window || !menu)
        return {QStringLiteral("the record window and the tray form must be loaded")};

    const std::pair<const char *, const char *> pairs[] = {
        {"MnuRestore", "MnuHide"}, {"MnuTskRestore", "MnuTskMinimize"}, {"MnuUnlock", "MnuLock"}};
    for (const auto &[first, second] : pairs)
        expect(action(menu, first)->isVisible() != action(menu, second)->isVisible(),
               QStringLiteral("exactly one of %1/%2 is shown").arg(first, second));

    expect(action(menu, "MnuRestore")->isVisible() == expected.hidden, "PopMenu offers Restore exactly while hidden");
    expect(action(menu, "MnuTskRestore")->isVisible() == expected.hidden,
           "TaskMenu offers Restore exactly while hidden");
    expect(window->isVisible() == !expected.hidden, "the record window is visible exactly while not hidden");
    expect(!expected.hidden || window->isMinimized(), "a hidden record window is minimized");
    expect(expected.hidden || !window->isMinimized(), "a shown record window is in its normal state");
    expect((menu->formState() == Qt::WindowMinimized) == expected.hidden,
           "the tray form is minimized exactly while the window is hidden");
    expect(!menu->isVisible(), "the tray form is never shown");

    expect(action(menu, "MnuUnlock")->isVisible() == expected.locked, "Unlock Form is offered exactly while locked");
    for (const char *locate : {"MnuLocate", "MnuLocateServer"})
        expect(action(menu, locate)->isEnabled() == !expected.locked,
               QStringLiteral("%1 is enabled exactly while unlocked").arg(locate));
    for (const char *box :
         {"TxtClient", "TxtCounty", "txtDate", "TxtDesc", "txtFileLoc", "TxtFileNum", "TxtName", "TxtNumber"})
        expect(boxReadOnly(window->findChild<QWidget *>(box)) == expected.locked,
               QStringLiteral("%1 is read-only exactly while locked").arg(box));
    for (const char *button : {"CmdAdd", "CmdDelete", "CmdUpdate", "CmdExplore"}) {
        QWidget *widget = window->findChild<QWidget *>(button);
        expect(widget && widget->isEnabled() == !expected.locked,
               QStringLiteral("%1 is enabled exactly while unlocked").arg(button));
    }
    expect(!window->ImgUnlocked->isHidden() == expected.locked, "the open padlock is shown exactly while locked");
    expect(!window->ImgLocked->isHidden() == !expected.locked, "the closed padlock is shown exactly while unlocked");

    for (const char *always :
         {"Mnu_2", "MnuSearch", "Mnu_4", "MnuLocate", "MnuHelp", "MnuAbout", "Mnu_1", "MnuExit", "mnu_3", "MnuTskExit"})
        expect(action(menu, always)->isVisible(), QStringLiteral("%1 is always shown").arg(always));
    for (const char *enabled : {"MnuRestore", "MnuHide", "MnuUnlock", "MnuLock", "MnuSearch", "MnuHelp", "MnuAbout",
                                "MnuExit", "MnuTskRestore", "MnuTskMinimize", "MnuTskExit"})
        // A hidden action always reports itself disabled.
        expect(!action(menu, enabled)->isVisible() || action(menu, enabled)->isEnabled(),
               QStringLiteral("%1 is enabled whenever shown").arg(enabled));
    return broken;
}
}

// Compares the whole state; a failure lists every broken rule.
#define CHECK_TRAY_STATE(hiddenValue, lockedValue)                                                                     \
    do {                                                                                                               \
        const QStringList broken = TrayState::violations({(hiddenValue), (lockedValue)});                              \
        QVERIFY2(broken.isEmpty(), qPrintable(broken.join(QStringLiteral("; "))));                                     \
    } while (false)
