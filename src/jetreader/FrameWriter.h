#pragma once

#include <cstdint>
#include <string>

// Writes the reader's frames to standard output in large blocks; a frame is
// never split across blocks that the reader gives up on half way.
class FrameWriter
{
public:
    ~FrameWriter() { flush(); }

    // Starts a frame; the payload follows through the put functions and the
    // frame ends with end().
    void begin(std::uint8_t type);
    void end();

    void putU8(std::uint8_t value) { payload_ += char(value); }
    void putU16(std::uint16_t value);
    void putU32(std::uint32_t value);
    void putU64(std::uint64_t value);
    void putText16(const std::string &text); // u16 length, then the text
    void putText32(const std::string &text); // u32 length, then the text
    void putBytes(const std::string &bytes) { payload_ += bytes; }
    void flush();

private:
    std::string block_;
    std::string payload_;
    std::uint8_t type_ = 0;
};
