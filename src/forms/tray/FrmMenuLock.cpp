// The edit lock: there is no lock flag, only the properties set here, all at
// once, so the menu, the boxes, the buttons and the padlock always agree.
#include "forms/tray/FrmMenu.h"

#include "forms/record/Form1.h"
#include "widgets/ImageControl.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
// The record window's bound boxes and editing buttons, in the order they are set.
constexpr const char *LockedBoxes[] = {"TxtClient",  "TxtCounty",  "txtDate", "TxtDesc",
                                       "txtFileLoc", "TxtFileNum", "TxtName", "TxtNumber"};
constexpr const char *EditingButtons[] = {"CmdAdd", "CmdDelete", "CmdUpdate", "CmdExplore"};

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
    applyLock(false);
}

void FrmMenu::applyLock(bool locked)
{
    item(locked ? "MnuLock" : "MnuUnlock")->setVisible(false);
    item(locked ? "MnuUnlock" : "MnuLock")->setVisible(true);
    item("MnuLocate")->setEnabled(!locked);

    Form1 *window = Forms::Loaded<Form1>();
    if (!window)
        return;
    for (const char *name : LockedBoxes)
        setReadOnly(window->findChild<QWidget *>(QString::fromLatin1(name)), locked);
    for (const char *name : EditingButtons) {
        if (QWidget *button = window->findChild<QWidget *>(QString::fromLatin1(name)))
            button->setEnabled(!locked);
    }
    window->ImgUnlocked->setVisible(locked);
    window->ImgLocked->setVisible(!locked);
}
