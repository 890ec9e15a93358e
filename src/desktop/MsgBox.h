#pragma once

#include "program/ProgramFacts.h"
#include "program/Seam.h"

#include <QString>

// Every message the program shows goes through MsgBox, so tests can see and
// answer them by replacing the handler.
enum class MsgIcon { None, Information, Exclamation, Critical };

struct Message
{
    QString text;
    MsgIcon icon;
    QString title;
};

void MsgBox(const QString &text, MsgIcon icon = MsgIcon::None,
            const QString &title = QString::fromLatin1(ProgramFacts::Title));

using MsgBoxSeam = Seam<struct MsgBoxTag, void(const Message &)>;
