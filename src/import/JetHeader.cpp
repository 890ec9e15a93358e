#include "import/JetHeader.h"

#include <QtEndian>
#include <array>
#include <cmath>
#include <cstring>

namespace {
// Offsets of the header (page 0).
constexpr int EngineOffset = 0x04, EngineLength = 15;
constexpr int VersionOffset = 0x14;
constexpr int MaskedOffset = 0x18; // from here the header is XOR-ed with a fixed key stream
constexpr int MaskedLengthJet3 = 126, MaskedLength = 128;
constexpr int CodePageOffset = 0x3C;
constexpr int DatabaseKeyOffset = 0x3E;
constexpr int PasswordOffset = 0x42;
constexpr int PasswordLengthJet3 = 20, PasswordLengthJet4 = 40;
constexpr int CreationDateOffset = 0x72;

constexpr char PageZeroStart[] = {0x00, 0x01, 0x00, 0x00};

struct EngineName
{
    const char *name;
    JetHeader::Engine engine;
};
constexpr EngineName EngineNames[] = {
    {"Standard Jet DB", JetHeader::Database},
    {"Standard ACE DB", JetHeader::Ace},
    {"Jet System DB  ", JetHeader::Workgroup},
};

// The fixed mask is the RC4 key stream of the key C7 DA 39 6B.
std::array<quint8, MaskedLength> headerMask()
{
    constexpr quint8 key[] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<quint8, 256> s;
    for (int i = 0; i < 256; ++i)
        s[i] = quint8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    std::array<quint8, MaskedLength> mask;
    for (int n = 0, i = 0, j = 0; n < MaskedLength; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        mask[n] = s[(s[i] + s[j]) & 0xFF];
    }
    return mask;
}

QString jet3Password(const quint8 *field)
{
    QByteArray bytes(reinterpret_cast<const char *>(field), PasswordLengthJet3);
    bytes.truncate(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
    return QString::fromLatin1(bytes); // the Windows version's password is plain ASCII
}

// Jet 4 masks the password once more with the whole days of the creation date.
QString jet4Password(const quint8 *field, const quint8 *creationDate)
{
    double days = 0;
    std::memcpy(&days, creationDate, sizeof days);
    days = qFromLittleEndian(days);
    const quint32 dateKey = std::isfinite(days) && std::abs(days) < 2147483648.0 ? quint32(qint32(days)) : 0;
    QString text;
    for (int i = 0; i < PasswordLengthJet4; i += 2) {
        const quint8 low = field[i] ^ quint8(dateKey >> (8 * (i % 4)));
        const quint8 high = field[i + 1] ^ quint8(dateKey >> (8 * ((i + 1) % 4)));
        const char16_t unit = char16_t(low | (high << 8));
        if (unit == 0)
            break;
        text += QChar(unit);
    }
    return text;
}
}

JetHeader readJetHeader(const QByteArray &start)
{
    JetHeader header;
    if (start.size() < VersionOffset + 1 || std::memcmp(start.constData(), PageZeroStart, 4) != 0)
        return header;
    for (const EngineName &known : EngineNames) {
        if (start.mid(EngineOffset, EngineLength) == QByteArray(known.name))
            header.engine = known.engine;
    }
    if (header.engine == JetHeader::NotJet)
        return header;
    header.version = quint8(start[VersionOffset]);
    const int maskedLength = header.version == 0 ? MaskedLengthJet3 : MaskedLength;
    if (start.size() < MaskedOffset + maskedLength)
        return header;
    header.complete = true;
    std::array<quint8, MaskedOffset + MaskedLength> bytes{};
    std::memcpy(bytes.data(), start.constData(), MaskedOffset + maskedLength);
    const std::array<quint8, MaskedLength> mask = headerMask();
    for (int i = 0; i < maskedLength; ++i)
        bytes[MaskedOffset + i] ^= mask[i];
    header.codePage = qFromLittleEndian<quint16>(bytes.data() + CodePageOffset);
    header.databaseKey = qFromLittleEndian<quint32>(bytes.data() + DatabaseKeyOffset);
    if (header.isJet3())
        header.password = jet3Password(bytes.data() + PasswordOffset);
    else if (header.isJet4())
        header.password = jet4Password(bytes.data() + PasswordOffset, bytes.data() + CreationDateOffset);
    return header;
}
