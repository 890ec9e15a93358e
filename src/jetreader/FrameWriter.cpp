#include "FrameWriter.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace {
constexpr std::size_t BlockSize = 256 * 1024;

void appendLittleEndian(std::string &to, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        to += char((value >> (8 * i)) & 0xFF);
}
}

void FrameWriter::begin(std::uint8_t type)
{
    type_ = type;
    payload_.clear();
}

void FrameWriter::end()
{
    block_ += char(type_);
    appendLittleEndian(block_, payload_.size(), 4);
    block_ += payload_;
    if (block_.size() >= BlockSize)
        flush();
}

void FrameWriter::putU16(std::uint16_t value)
{
    appendLittleEndian(payload_, value, 2);
}

void FrameWriter::putU32(std::uint32_t value)
{
    appendLittleEndian(payload_, value, 4);
}

void FrameWriter::putU64(std::uint64_t value)
{
    appendLittleEndian(payload_, value, 8);
}

void FrameWriter::putText16(const std::string &text)
{
    const std::string cut = text.substr(0, 0xFFFF);
    putU16(std::uint16_t(cut.size()));
    payload_ += cut;
}

void FrameWriter::putText32(const std::string &text)
{
    putU32(std::uint32_t(text.size()));
    payload_ += text;
}

void FrameWriter::flush()
{
    const char *data = block_.data();
    std::size_t left = block_.size();
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            std::_Exit(3); // the program that asked has gone
        data += written;
        left -= std::size_t(written);
    }
    block_.clear();
}
