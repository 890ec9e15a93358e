#pragma once

#include "program/ProgramFacts.h"
#include "program/Seam.h"

#include <QString>

// Every message the program shows goes through MsgBox, so tests can see and
// answer them by replacing the handler.
enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { Ok, YesNo };

struct Message
{
    QString text;
    MsgIcon icon;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
};

void MsgBox(const QString &text, MsgIcon icon = MsgIcon::None,
            const QString &title = QString::fromLatin1(ProgramFacts::Title));
// A question with the buttons Yes and No; true for Yes.
bool MsgBoxYesNo(const QString &text, MsgIcon icon = MsgIcon::Question,
                 const QString &title = QString::fromLatin1(ProgramFacts::Title));

using MsgBoxSeam = Seam<struct MsgBoxTag, void(const Message &)>;
// Answers the questions; without it a replaced MsgBox handler sees them and they are answered No.
using MsgAnswerSeam = Seam<struct MsgAnswerTag, bool(const Message &)>;
