// "History" and "Deleted Records" in the record window's pop-up menu.
#include "forms/tray/FrmMenu.h"

#include "forms/history/FrmDeleted.h"
#include "forms/history/FrmHistory.h"
#include "forms/record/Form1.h"

void FrmMenu::MnuHistory_Click()
{
    if (Form1 *window = Forms::Loaded<Form1>())
        FrmHistory::showFor(window);
}

void FrmMenu::MnuDeleted_Click()
{
    if (Form1 *window = Forms::Loaded<Form1>())
        FrmDeleted::showFor(window);
}
