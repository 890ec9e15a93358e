#pragma once

#include <cstdint>
#include <string>

// Writes the reader's frames to standard output in large blocks.
class FrameWriter
{
public:
    ~FrameWriter() { flush(); }

    // Starts a frame; the payload follows through the put functions and the
    // frame ends with end().
    void begin(std::uint8_t type);
    void end();

    void putU8(std::uint8_t value) { block_ += char(value); }
    void putU16(std::uint16_t value);
    void putU32(std::uint32_t value);
    void putU64(std::uint64_t value);
    void putText16(const std::string &text); // u16 length, then the text
    void putText32(const std::string &text); // u32 length, then the text
    void putBytes(const std::string &bytes) { block_ += bytes; }
    void flush();

private:
    std::string block_;
    std::size_t frameStart_ = 0; // where the open frame's length goes
};
