#include "desktop/MsgBox.h"

#include "desktop/WindowSystem.h"
#include "desktop/X11Window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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

// Window managers cut a title longer than its window: the box is kept wide
// enough for its title in a bold title-bar font, beside the title bar's buttons.
int widthForTitle(const QString &title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    constexpr int TitleBarButtons = 120;
    return QFontMetrics(font).horizontalAdvance(title) * 5 / 4 + TitleBarButtons;
}

bool showModal(const Message &message)
{
    const bool question = message.buttons == MsgButtons::YesNo;
    QMessageBox box(toQt(message.icon), message.title, message.text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    if (question)
        box.setDefaultButton(QMessageBox::Yes);
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(widthForTitle(message.title), 0), grid->rowCount(), 0, 1, grid->columnCount());
    WindowSystem::makeSmallDialog(&box);
    box.winId();
    X11Window::setWithoutMinimize(&box);
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
