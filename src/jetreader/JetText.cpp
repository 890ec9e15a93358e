#include "JetText.h"

#include <cerrno>
#include <cstdint>

namespace {
constexpr char32_t Replacement = 0xFFFD;

// Writes the UTF-8 of one code point at to; returns the end of it.
char *putCodePoint(char32_t c, char *to)
{
    if (c < 0x80) {
        *to++ = char(c);
    } else if (c < 0x800) {
        *to++ = char(0xC0 | (c >> 6));
        *to++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *to++ = char(0xE0 | (c >> 12));
        *to++ = char(0x80 | ((c >> 6) & 0x3F));
        *to++ = char(0x80 | (c & 0x3F));
    } else {
        *to++ = char(0xF0 | (c >> 18));
        *to++ = char(0x80 | ((c >> 12) & 0x3F));
        *to++ = char(0x80 | ((c >> 6) & 0x3F));
        *to++ = char(0x80 | (c & 0x3F));
    }
    return to;
}

void appendCodePoint(char32_t c, std::string &out)
{
    char bytes[4];
    out.append(bytes, std::size_t(putCodePoint(c, bytes) - bytes));
}

bool isHighSurrogate(char16_t u)
{
    return u >= 0xD800 && u < 0xDC00;
}

bool isLowSurrogate(char16_t u)
{
    return u >= 0xDC00 && u < 0xE000;
}

// Reads the code units of a Jet 4 text one by one, compressed or not.
class CodeUnits
{
public:
    CodeUnits(const unsigned char *bytes, std::size_t length) : at_(bytes), end_(bytes + length)
    {
        compressed_ = length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
        if (compressed_)
            at_ += 2;
    }
    // The next unit, or -1 at the end (half a unit at the end is dropped).
    int next()
    {
        // In a compressed text a NUL byte switches between one-byte and two-byte units.
        while (compressed_ && at_ != end_ && *at_ == 0) {
            ++at_;
            oneByte_ = !oneByte_;
        }
        if (compressed_ && oneByte_)
            return at_ != end_ ? *at_++ : -1;
        if (end_ - at_ < 2)
            return -1;
        const int unit = at_[0] | (at_[1] << 8);
        at_ += 2;
        return unit;
    }

private:
    const unsigned char *at_;
    const unsigned char *end_;
    bool compressed_ = false;
    bool oneByte_ = true;
};

// Code pages whose every character is one byte.
bool isSingleByte(unsigned codePage)
{
    return !(codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950);
}
}

JetText::JetText(unsigned jetVersion, unsigned codePage)
    : unicode_(jetVersion != 0), singleByte_(isSingleByte(codePage))
{
    if (unicode_)
        return;
    const std::string name = "CP" + std::to_string(codePage ? codePage : 1252);
    toUtf8_ = iconv_open("UTF-8", name.c_str());
    if (toUtf8_ == reinterpret_cast<iconv_t>(-1)) {
        toUtf8_ = iconv_open("UTF-8", "CP1252");
        singleByte_ = true;
    }
}

JetText::~JetText()
{
    if (toUtf8_ != reinterpret_cast<iconv_t>(-1))
        iconv_close(toUtf8_);
}

void JetText::appendUtf8(const unsigned char *bytes, std::size_t length, std::string &out)
{
    if (unicode_)
        appendUnicode(bytes, length, out);
    else
        appendCodePage(bytes, length, out);
}

void JetText::appendUnicode(const unsigned char *bytes, std::size_t length, std::string &out)
{
    // At most three bytes of UTF-8 for each stored byte.
    const std::size_t start = out.size();
    out.resize(start + 3 * length);
    char *to = out.data() + start;
    CodeUnits units(bytes, length);
    for (int unit = units.next(); unit >= 0;) {
        const int following = units.next();
        if (isHighSurrogate(char16_t(unit)) && following >= 0 && isLowSurrogate(char16_t(following))) {
            to = putCodePoint(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(following) - 0xDC00), to);
            unit = units.next();
            continue;
        }
        // Half a surrogate pair is no character.
        to = putCodePoint(
            isHighSurrogate(char16_t(unit)) || isLowSurrogate(char16_t(unit)) ? Replacement : char32_t(unit), to);
        unit = following;
    }
    out.resize(std::size_t(to - out.data()));
}

void JetText::appendCodePage(const unsigned char *bytes, std::size_t length, std::string &out)
{
    iconv(toUtf8_, nullptr, nullptr, nullptr, nullptr);
    std::string buffer(length * 4 + 4, '\0');
    char *in = const_cast<char *>(reinterpret_cast<const char *>(bytes));
    std::size_t inLeft = length;
    while (inLeft > 0) {
        char *to = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t rc = iconv(toUtf8_, &in, &inLeft, &to, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (rc != std::size_t(-1))
            break;
        if (errno == E2BIG)
            continue;
        // A byte the code page leaves undefined: Windows reads such a byte of a
        // one-byte code page as the control character of the same number.
        appendCodePoint(singleByte_ ? char32_t(static_cast<unsigned char>(*in)) : Replacement, out);
        ++in;
        --inLeft;
        iconv(toUtf8_, nullptr, nullptr, nullptr, nullptr);
    }
}
