#pragma once

#include "program/ProgramFacts.h"

#include <QString>
#include <functional>

// Every message the program shows goes through MsgBox, so tests can see and
// answer them by replacing the handler.
enum class MsgIcon { None, Information, Exclamation, Critical };

struct Message
{
    QString text;
    MsgIcon icon;
    QString title;
};

void MsgBox(const QString &text, MsgIcon icon = MsgIcon::None, const QString &title = QString::fromLatin1(ProgramFacts::Title));

namespace MsgBoxSeam {
using Handler = std::function<void(const Message &)>;
// Replaces the handler; an empty handler restores the real message box.
void setHandler(Handler handler);
}
