// The record window's keyboard map: the usual shortcuts for its commands and
// a way into the command menu. The help page lists the same map.
#include "forms/record/Form1.h"

#include "forms/search/SrchDialog.h"
#include "forms/tray/FrmMenu.h"
#include "widgets/ImageControl.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

namespace {
// A button's command, as a click on it: nothing while it is disabled.
auto press(QPushButton *Form1::*button)
{
    return [button](Form1 &w) { (w.*button)->click(); };
}
}

void Form1::buildShortcuts()
{
    const std::pair<QKeySequence, std::function<void(Form1 &)>> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_F), press(&Form1::Command3)},
        {QKeySequence(Qt::Key_F3), [](Form1 &) { Forms::Get<SrchDialog>()->findAgain(true); }},
        {QKeySequence(Qt::SHIFT | Qt::Key_F3), [](Form1 &) { Forms::Get<SrchDialog>()->findAgain(false); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Home), press(&Form1::Command4)},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), press(&Form1::Command5)},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), press(&Form1::Command6)},
        {QKeySequence(Qt::CTRL | Qt::Key_End), press(&Form1::Command7)},
        {QKeySequence(Qt::CTRL | Qt::Key_N), press(&Form1::CmdAdd)},
        {QKeySequence(Qt::CTRL | Qt::Key_S), press(&Form1::CmdUpdate)},
        {QKeySequence(Qt::CTRL | Qt::Key_H), [](Form1 &) { Forms::Get<FrmMenu>()->MnuHistory_Click(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_L),
         [](Form1 &w) { w.ImgLocked->isVisible() ? w.ImgLocked_Click() : w.ImgUnlocked_Click(); }},
        {QKeySequence(Qt::Key_F1), [](Form1 &w) { w.ImgQ_Click(); }},
        {QKeySequence(Qt::Key_F10), [](Form1 &w) { w.popUpMenuFromKeyboard(); }},
        {QKeySequence(Qt::ALT | Qt::Key_M), [](Form1 &w) { w.popUpMenuFromKeyboard(); }},
    };
    for (const auto &[sequence, command] : keys) {
        auto *shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, this, [this, command] { command(*this); });
        ownShortcuts_ << sequence;
    }
}

// Under the Menu button, with its first command chosen, so the arrow keys
// and Enter work it at once.
void Form1::popUpMenuFromKeyboard()
{
    QMenu *menu = Forms::Get<FrmMenu>()->PopMenu;
    menu->popup(ImgMax->mapToGlobal(QPoint(0, ImgMax->height())));
    for (QAction *action : menu->actions()) {
        if (action->isVisible() && action->isEnabled() && !action->isSeparator()) {
            menu->setActiveAction(action);
            break;
        }
    }
}

// Line boxes would keep Ctrl+Home and Ctrl+End for themselves; the window's
// own shortcuts come first there.
bool Form1::isOwnShortcut(const QKeyEvent *key) const
{
    return ownShortcuts_.contains(QKeySequence(key->keyCombination()));
}
