#pragma once

#include "program/Seam.h"

#include <QString>
#include <optional>

class QWidget;

// The open-file dialog (or the choose-folder dialog). A cancel is a failure:
// no name comes back.
struct FileDialogRequest
{
    QString title; // "Morvo II"
    QString fileName; // initial name, e.g. "*.dwg"
    QString filter; // single type, e.g. "AutoCAD Drawing (*.dwg)"
    QString folder = {}; // where the dialog opens; empty for its own choice
    bool chooseFolder = false; // a folder is chosen, not a file
};

std::optional<QString> ShowOpenDialog(const FileDialogRequest &request, QWidget *parent = nullptr);

using FileDialogSeam = Seam<struct FileDialogTag, std::optional<QString>(const FileDialogRequest &)>;
