#include "catalogue/LeadingNumber.h"

#include <QLocale>
#include <QString>
#include <charconv>

namespace {
unsigned codeOf(QChar c)
{
    return c.unicode();
}

unsigned codeOf(char c)
{
    return static_cast<unsigned char>(c);
}

bool isBlank(unsigned c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Collects sign, digits and one decimal point, skipping blanks, up to the
// first character that cannot continue a number; only ASCII digits count.
template <typename Range> double parseRange(const Range &text)
{
    char buffer[64];
    int length = 0;
    bool seenDigit = false, seenPoint = false, seenSign = false;
    for (auto c : text) {
        const unsigned code = codeOf(c);
        if (isBlank(code))
            continue;
        if (length == int(sizeof buffer))
            break;
        if (code >= '0' && code <= '9') {
            buffer[length++] = char(code);
            seenDigit = true;
        } else if ((code == '+' || code == '-') && !seenSign && !seenDigit && !seenPoint) {
            seenSign = true;
            if (code == '-') // from_chars takes no plus sign
                buffer[length++] = '-';
        } else if (code == '.' && !seenPoint) {
            buffer[length++] = '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    // Most job numbers are whole and short: exact as doubles, read without from_chars.
    constexpr int ExactDigits = 15;
    if (seenDigit && !seenSign && !seenPoint && length <= ExactDigits) {
        quint64 whole = 0;
        for (int i = 0; i < length; ++i)
            whole = whole * 10 + quint64(buffer[i] - '0');
        return double(whole);
    }
    double value = 0.0;
    // from_chars is locale-independent, unlike strtod.
    if (seenDigit)
        std::from_chars(buffer, buffer + length, value);
    return value;
}
}

namespace LeadingNumber {
double parse(QStringView text)
{
    return parseRange(text);
}

double parse(std::string_view utf8)
{
    return parseRange(utf8);
}

QString nextAfter(QStringView text)
{
    return QLocale::c().toString(parse(text) + 1.0, 'f', QLocale::FloatingPointShortest);
}
}
