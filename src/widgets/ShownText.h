#pragma once

#include <QString>

// A multi-line box shows every line ending of a stored text (CR LF, CR or LF)
// as one paragraph break (U+2029) and keeps every other character, no-break
// spaces and line separators (U+2028) included. Edits in the box are carried
// back onto the stored text so that what the user did not touch keeps its
// stored form, byte for byte.
namespace ShownText {

// What the box's document holds for a stored text.
QString shownFor(const QString &stored);

// The line ending the stored text uses: CR LF where it has one, LF otherwise.
QString lineEndingOf(const QString &stored);

// The stored text after the box went from shownBefore to shownNow: the
// changed stretch is taken from the box, its breaks written with the stored
// text's line ending; the rest stays as stored. When shownBefore is not what
// stored shows, the whole box is taken.
QString applyEdit(const QString &stored, const QString &shownBefore, const QString &shownNow);

}
