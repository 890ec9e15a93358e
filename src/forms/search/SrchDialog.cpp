#include "forms/search/SrchDialog.h"

SrchDialog::SrchDialog() : Form(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Search Database"));
}

void SrchDialog::Form_Load() {}
