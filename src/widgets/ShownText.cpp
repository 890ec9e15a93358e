#include "widgets/ShownText.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {
constexpr QChar ParagraphBreak = QChar::ParagraphSeparator;

// A break the user makes: Enter gives a paragraph break, Shift+Enter a line separator.
bool isTypedBreak(QChar c)
{
    return c == ParagraphBreak || c == QChar::LineSeparator;
}

bool isLineEndingStart(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// For each character shown, where its stored form begins; one more entry for
// the end. Nothing when the shown text is not what stored shows.
std::optional<std::vector<qsizetype>> storedOffsets(const QString &stored, const QString &shown)
{
    std::vector<qsizetype> offsets;
    offsets.reserve(size_t(shown.size()) + 1);
    qsizetype at = 0;
    for (const QChar c : shown) {
        if (at >= stored.size())
            return std::nullopt;
        offsets.push_back(at);
        const QChar s = stored.at(at);
        if (isLineEndingStart(s) && isTypedBreak(c))
            at += (s == u'\r' && at + 1 < stored.size() && stored.at(at + 1) == u'\n') ? 2 : 1;
        else if (s == c)
            ++at;
        else
            return std::nullopt;
    }
    if (at != stored.size())
        return std::nullopt;
    offsets.push_back(at);
    return offsets;
}

QString withLineEndings(const QString &typed, const QString &lineEnding)
{
    QString written;
    written.reserve(typed.size());
    for (const QChar c : typed) {
        if (isTypedBreak(c))
            written += lineEnding;
        else
            written += c;
    }
    return written;
}
}

namespace ShownText {

QString shownFor(const QString &stored)
{
    QString shown;
    shown.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        if (!isLineEndingStart(c)) {
            shown += c;
            continue;
        }
        shown += ParagraphBreak;
        if (c == u'\r' && i + 1 < stored.size() && stored.at(i + 1) == u'\n')
            ++i;
    }
    return shown;
}

QString lineEndingOf(const QString &stored)
{
    return stored.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

QString applyEdit(const QString &stored, const QString &shownBefore, const QString &shownNow)
{
    const QString lineEnding = lineEndingOf(stored);
    const auto offsets = storedOffsets(stored, shownBefore);
    if (!offsets)
        return withLineEndings(shownNow, lineEnding);

    // The changed stretch: what lies between the common start and the common end.
    const qsizetype shorter = std::min(shownBefore.size(), shownNow.size());
    qsizetype prefix = 0;
    while (prefix < shorter && shownBefore.at(prefix) == shownNow.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix
           && shownBefore.at(shownBefore.size() - 1 - suffix) == shownNow.at(shownNow.size() - 1 - suffix))
        ++suffix;

    const qsizetype from = (*offsets)[size_t(prefix)];
    const qsizetype to = (*offsets)[size_t(shownBefore.size() - suffix)];
    const QString typed = shownNow.mid(prefix, shownNow.size() - prefix - suffix);
    return stored.left(from) + withLineEndings(typed, lineEnding) + stored.mid(to);
}

}
