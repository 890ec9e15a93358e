// The record window's search button.
#include "forms/record/Form1.h"

#include "forms/search/SrchDialog.h"

void Form1::Command3_Click()
{
    Forms::Get<SrchDialog>()->showAndFocus();
}
