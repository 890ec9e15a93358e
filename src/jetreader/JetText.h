#pragma once

#include <cstddef>
#include <iconv.h>
#include <string>

// Text of a Jet row as UTF-8, character for character. Jet 4 keeps text as
// UTF-16 code units, optionally "compressed" (a leading FF FE, then runs of
// one-byte units switched by NUL bytes); Jet 3 keeps text in the database's
// code page.
class JetText
{
public:
    // jetVersion as the header says (0: Jet 3); codePage from the header.
    JetText(unsigned jetVersion, unsigned codePage);
    ~JetText();
    JetText(const JetText &) = delete;
    JetText &operator=(const JetText &) = delete;

    // Appends the text of these stored bytes to out.
    void appendUtf8(const unsigned char *bytes, std::size_t length, std::string &out);

private:
    void appendUnicode(const unsigned char *bytes, std::size_t length, std::string &out);
    void appendCodePage(const unsigned char *bytes, std::size_t length, std::string &out);

    bool unicode_;
    bool singleByte_;
    iconv_t toUtf8_ = reinterpret_cast<iconv_t>(-1);
};
