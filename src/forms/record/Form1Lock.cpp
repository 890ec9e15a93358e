// The record window's padlock button; the lock itself is the tray form's.
#include "forms/record/Form1.h"

#include "forms/record/Form1LockLayout.h"
#include "forms/tray/FrmMenu.h"
#include "widgets/ControlTable.h"
#include "widgets/ImageControl.h"

void Form1::buildLockImages()
{
    for (const Form1LockLayout::PadlockRow &row : Form1LockLayout::Padlocks) {
        auto *image = new ImageControl(this);
        image->setObjectName(QString::fromLatin1(row.name));
        image->setPicture(Artwork::picture(row.picture));
        image->setGeometry(
            twipsRect(Form1LockLayout::Left, Form1LockLayout::Top, Form1LockLayout::Width, Form1LockLayout::Height));
        image->setToolTip(QString::fromLatin1(row.toolTip));
        image->setCursor(Artwork::handCursor());
        row.keep(*this, image);
    }
    connect(ImgLocked, &ImageControl::clicked, this, &Form1::ImgLocked_Click);
    connect(ImgUnlocked, &ImageControl::clicked, this, &Form1::ImgUnlocked_Click);
}

void Form1::ImgLocked_Click()
{
    Forms::Get<FrmMenu>()->MnuLock_Click();
    ImgLocked->hide();
    ImgUnlocked->show();
}

void Form1::ImgUnlocked_Click()
{
    Forms::Get<FrmMenu>()->MnuUnlock_Click();
    ImgUnlocked->hide();
    ImgLocked->show();
}
