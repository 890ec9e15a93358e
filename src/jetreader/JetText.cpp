#include "JetText.h"

#include <cerrno>
#include <cstdint>
#include <vector>

namespace {
constexpr char32_t Replacement = 0xFFFD;

void appendCodePoint(char32_t c, std::string &out)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char16_t u)
{
    return u >= 0xD800 && u < 0xDC00;
}

bool isLowSurrogate(char16_t u)
{
    return u >= 0xDC00 && u < 0xE000;
}

// The code units of a Jet 4 text, uncompressed.
std::vector<char16_t> codeUnits(const unsigned char *bytes, std::size_t length)
{
    std::vector<char16_t> units;
    units.reserve(length);
    if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        bool compressed = true;
        for (std::size_t i = 2; i < length;) {
            if (bytes[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                units.push_back(bytes[i++]);
            } else if (i + 1 < length) {
                units.push_back(char16_t(bytes[i] | (bytes[i + 1] << 8)));
                i += 2;
            } else {
                break; // half a unit at the end
            }
        }
    } else {
        for (std::size_t i = 0; i + 1 < length; i += 2)
            units.push_back(char16_t(bytes[i] | (bytes[i + 1] << 8)));
    }
    return units;
}

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
    const std::vector<char16_t> units = codeUnits(bytes, length);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (isHighSurrogate(u) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
            appendCodePoint(0x10000 + ((char32_t(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00), out);
            ++i;
        } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
            appendCodePoint(Replacement, out); // half a pair is no character
        } else {
            appendCodePoint(u, out);
        }
    }
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
