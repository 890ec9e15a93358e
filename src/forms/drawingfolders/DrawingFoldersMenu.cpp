// "Drawing Folders" in both tray menus.
#include "forms/tray/FrmMenu.h"

#include "forms/drawingfolders/FrmDrawingFolders.h"
#include "forms/record/Form1.h"

void FrmMenu::MnuDrawingFolders_Click()
{
    FrmDrawingFolders::edit(Forms::Loaded<Form1>());
}

void FrmMenu::MnuTskDrawingFolders_Click()
{
    MnuDrawingFolders_Click();
}
