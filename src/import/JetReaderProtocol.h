#pragma once

#include <cstdint>

// What the Jet reader (a child process of the program's own, see src/jetreader)
// writes to its standard output: frames, one after another, each a type byte,
// the payload's length (32 bits) and the payload. Numbers are little-endian,
// texts UTF-8. The reader is started as
//     morvo-jetreader FILE TABLE FIELD...
// and answers with a Header, the Records, and Done, or at any point an Error.
namespace JetReaderProtocol {
inline constexpr char ProgramName[] = "morvo-jetreader";

enum FrameType : std::uint8_t {
    // u8 Jet version, u16 code page, u32 rows the table definition claims,
    // u32 data pages of the table; per asked-for field an i16 column number
    // (-1: the table has no such column); u16 count of the table's other
    // columns and their names (u16 length, text).
    Header = 'H',
    // Per asked-for field a u32 length (NullLength for NULL) and the text.
    Record = 'R',
    // u32 data pages read so far.
    Progress = 'P',
    // u8 ErrorCode and a text; nothing follows.
    Error = 'E',
    // u64 records read; nothing follows.
    Done = 'D',
};

enum ErrorCode : std::uint8_t {
    Usage = 1,
    CannotOpen = 2, // not a Jet file, or unreadable
    NoTableList = 3, // the file's list of tables cannot be read
    NoTable = 4,
    Damaged = 5, // a row or its text cannot be read
};

inline constexpr std::uint32_t NullLength = 0xFFFFFFFFu;
// No frame of a catalogue comes near this; a longer one means a broken stream.
inline constexpr std::uint32_t MaxFrameLength = 64u << 20;
}
