#include "stores/SearchKey.h"

#include <QString>

namespace {
bool isAscii(const char *text, int length)
{
    for (int i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}
}

// ASCII, by far the common case, without the round trip through UTF-16.
void SearchKey::appendUpper(std::string &out, const char *utf8, int length)
{
    if (isAscii(utf8, length)) {
        const size_t start = out.size();
        out.append(utf8, size_t(length));
        for (size_t i = start; i < out.size(); ++i)
            if (out[i] >= 'a' && out[i] <= 'z')
                out[i] = char(out[i] - 'a' + 'A');
        return;
    }
    const QByteArray upper = QString::fromUtf8(utf8, length).toUpper().toUtf8();
    out.append(upper.constData(), size_t(upper.size()));
}
