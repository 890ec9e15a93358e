#include "desktop/MsgBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::Icon toQt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

void showModal(const Message &message)
{
    QMessageBox box(toQt(message.icon), message.title, message.text, QMessageBox::Ok);
    box.exec();
}
}

void MsgBox(const QString &text, MsgIcon icon, const QString &title)
{
    const Message message{text, icon, title};
    if (const auto &handler = MsgBoxSeam::handler())
        handler(message);
    else
        showModal(message);
}
