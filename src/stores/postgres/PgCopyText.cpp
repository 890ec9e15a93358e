#include "stores/postgres/PgCopyText.h"

std::optional<QByteArray> PgCopyText::decode(const char *begin, const char *end)
{
    if (end - begin == 2 && begin[0] == '\\' && begin[1] == 'N')
        return std::nullopt;
    QByteArray out;
    out.reserve(end - begin);
    for (const char *p = begin; p < end; ++p) {
        if (*p != '\\' || p + 1 == end) {
            out += *p;
            continue;
        }
        switch (const char c = *++p) {
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'v':
            out += '\v';
            break;
        default:
            if (c >= '0' && c <= '7') {
                int value = 0;
                for (int digits = 0; digits < 3 && p < end && *p >= '0' && *p <= '7'; ++digits, ++p)
                    value = value * 8 + (*p - '0');
                --p;
                out += char(value);
            } else {
                out += c; // a backslash and any other escaped character stand for themselves
            }
        }
    }
    return out;
}

void PgCopyText::append(QByteArray &out, const std::optional<QByteArray> &field)
{
    if (!field) {
        out += "\\N";
        return;
    }
    for (const char c : *field) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}
