// The edit lock: there is no lock flag, only the properties set here, all at
// once, so the menu, the boxes, the buttons and the padlock always agree.
#include "forms/tray/FrmMenu.h"

#include "catalogue/DataEnvironment1.h"
#include "desktop/MsgBox.h"
#include "forms/record/Form1.h"
#include "widgets/ImageControl.h"
#include "widgets/TextBinder.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
// The record window's editing buttons, in the order they are set.
constexpr QPushButton *Form1::*EditingButtons[] = {&Form1::CmdAdd, &Form1::CmdDelete, &Form1::CmdUpdate,
                                                   &Form1::CmdExplore};

// Why this person may not change the catalogue (a server role that may only
// read); empty when they may.
QString readOnlyReason()
{
    return DataEnvironment1::instance().rsConJobnr.readOnlyReason();
}

// A read-only box still takes the focus and lets the user select and copy.
void setReadOnly(QWidget *box, bool readOnly)
{
    if (auto *line = qobject_cast<QLineEdit *>(box)) {
        line->setReadOnly(readOnly);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(box)) {
        plain->setReadOnly(readOnly);
        if (readOnly)
            plain->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
}
}

void FrmMenu::MnuLock_Click()
{
    applyLock(true);
}

void FrmMenu::MnuUnlock_Click()
{
    // A catalogue the user may only read stays locked, and says why.
    if (const QString reason = readOnlyReason(); !reason.isEmpty()) {
        MsgBox(reason, MsgIcon::Information);
        return;
    }
    applyLock(false);
}

void FrmMenu::applyLock(bool locked)
{
    (locked ? MnuLock : MnuUnlock)->setVisible(false);
    (locked ? MnuUnlock : MnuLock)->setVisible(true);
    MnuLocate->setEnabled(!locked);
    MnuLocateServer->setEnabled(!locked);

    Form1 *window = Forms::Loaded<Form1>();
    if (!window)
        return;
    // The boxes of the catalogue's fields, as the record window binds them.
    for (QWidget *box : window->binder().boxes())
        setReadOnly(box, locked);
    for (QPushButton *Form1::*button : EditingButtons)
        (window->*button)->setEnabled(!locked);
    window->ImgUnlocked->setVisible(locked);
    window->ImgLocked->setVisible(!locked);
    if (const QString reason = locked ? readOnlyReason() : QString(); !reason.isEmpty())
        window->ImgUnlocked->setToolTip(reason);
}
