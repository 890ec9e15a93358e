#include "stores/SearchKey.h"

#include <QString>

// ASCII, by far the common case, in one pass the compiler vectorizes (no early
// exit): letters upper-cased while any byte past ASCII is noted, and only then
// the round trip through UTF-16 for the rest.
void SearchKey::appendUpper(std::string &out, const char *utf8, int length)
{
    const size_t start = out.size();
    out.append(utf8, size_t(length));
    auto *text = reinterpret_cast<unsigned char *>(out.data() + start);
    unsigned char seen = 0;
    for (size_t i = 0; i < size_t(length); ++i) {
        const unsigned char c = text[i];
        seen |= c;
        text[i] = static_cast<unsigned char>(c - (static_cast<unsigned char>(c - 'a') < 26 ? 32 : 0));
    }
    if (seen < 0x80)
        return;
    out.resize(start);
    const QByteArray upper = QString::fromUtf8(utf8, length).toUpper().toUtf8();
    out.append(upper.constData(), size_t(upper.size()));
}
