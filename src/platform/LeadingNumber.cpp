#include "platform/LeadingNumber.h"

#include <QLocale>
#include <charconv>
#include <QString>

namespace {
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Collects sign, digits and one decimal point, skipping blanks, up to the
// first character that cannot continue a number.
QString numberPrefix(QStringView text)
{
    QString out;
    bool seenDigit = false, seenPoint = false, seenSign = false;
    for (QChar c : text) {
        if (isBlank(c))
            continue;
        if (c.isDigit() && c.unicode() < 128) {
            out += c;
            seenDigit = true;
        } else if ((c == u'+' || c == u'-') && !seenSign && !seenDigit && !seenPoint) {
            out += c;
            seenSign = true;
        } else if (c == u'.' && !seenPoint) {
            out += c;
            seenPoint = true;
        } else {
            break;
        }
    }
    return seenDigit ? out : QString();
}
}

namespace LeadingNumber {
double parse(QStringView text)
{
    QByteArray prefix = numberPrefix(text).toLatin1();
    if (prefix.startsWith('+'))
        prefix.remove(0, 1);
    double value = 0.0;
    // from_chars is locale-independent, unlike strtod.
    std::from_chars(prefix.constData(), prefix.constData() + prefix.size(), value);
    return value;
}

QString nextAfter(QStringView text)
{
    return QLocale::c().toString(parse(text) + 1.0, 'f', QLocale::FloatingPointShortest);
}
}
