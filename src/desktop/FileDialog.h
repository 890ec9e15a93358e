#pragma once

#include "program/Seam.h"

#include <QString>
#include <optional>

class QWidget;

// The open-file dialog. A cancel is a failure: no file name comes back.
struct FileDialogRequest
{
    QString title; // "Morvo II"
    QString fileName; // initial name, e.g. "*.dwg"
    QString filter; // single type, e.g. "AutoCAD Drawing (*.dwg)"
    QString folder = {}; // where it opens; empty for wherever the dialog likes
};

std::optional<QString> ShowOpenDialog(const FileDialogRequest &request, QWidget *parent = nullptr);

using FileDialogSeam = Seam<struct FileDialogTag, std::optional<QString>(const FileDialogRequest &)>;
