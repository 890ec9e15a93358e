#include "desktop/FileDialog.h"

#include <QFileDialog>

namespace {
std::optional<QString> runDialog(const FileDialogRequest &request, QWidget *parent)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.chooseFolder ? QFileDialog::Directory : QFileDialog::ExistingFile);
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.chooseFolder) {
        dialog.setNameFilter(request.filter);
        dialog.selectFile(request.fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
}

std::optional<QString> ShowOpenDialog(const FileDialogRequest &request, QWidget *parent)
{
    if (const auto &handler = FileDialogSeam::handler())
        return handler(request);
    return runDialog(request, parent);
}
