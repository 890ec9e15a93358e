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
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

bool showModal(const Message &message)
{
    const bool question = message.buttons == MsgButtons::YesNo;
    QMessageBox box(toQt(message.icon), message.title, message.text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    if (question)
        box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
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

bool MsgBoxYesNo(const QString &text, MsgIcon icon, const QString &title)
{
    const Message message{text, icon, title, MsgButtons::YesNo};
    if (const auto &answer = MsgAnswerSeam::handler())
        return answer(message);
    if (const auto &handler = MsgBoxSeam::handler()) {
        handler(message);
        return false;
    }
    return showModal(message);
}
