#pragma once

#include "JetLibrary.h"
#include "JetText.h"

#include <string>

// One field of the row that the handle's page buffer holds, as text: text and
// memo columns character for character, other kinds as libmdb writes them.
class JetValue
{
public:
    JetValue(MdbHandle *mdb, JetText &text) : mdb_(mdb), text_(text) {}

    // False when the stored bytes cannot belong to a sound file; why().
    bool read(const MdbColumn &column, const MdbField &field, std::string &out);
    const std::string &why() const { return why_; }

private:
    bool readMemo(const unsigned char *header, std::size_t size, std::string &bytes);
    bool appendRow(guint32 pageRow, std::size_t skip, std::string &bytes, guint32 *next);
    void readOther(const MdbColumn &column, const MdbField &field, std::string &out) const;
    bool fail(const char *why);

    MdbHandle *mdb_;
    JetText &text_;
    std::string why_;
};
