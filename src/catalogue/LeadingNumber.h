#pragma once

#include <QStringView>
#include <string_view>

// The numeric value of a text the way the record commands read a job number:
// the longest leading decimal number (sign, digits, point, fraction), blanks
// ignored anywhere, 0 when there is none.
namespace LeadingNumber {
double parse(QStringView text);
double parse(std::string_view utf8);
// One more than the value, written plainly: no exponent, no group separators.
QString nextAfter(QStringView text);
}
