#include "FrameWriter.h"

#include <algorithm>
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
    block_ += char(type);
    frameStart_ = block_.size();
    block_.append(4, '\0');
}

void FrameWriter::end()
{
    const std::size_t length = block_.size() - frameStart_ - 4;
    for (int i = 0; i < 4; ++i)
        block_[frameStart_ + i] = char((length >> (8 * i)) & 0xFF);
    if (block_.size() >= BlockSize)
        flush();
}

void FrameWriter::putU16(std::uint16_t value)
{
    appendLittleEndian(block_, value, 2);
}

void FrameWriter::putU32(std::uint32_t value)
{
    appendLittleEndian(block_, value, 4);
}

void FrameWriter::putU64(std::uint64_t value)
{
    appendLittleEndian(block_, value, 8);
}

void FrameWriter::putText16(const std::string &text)
{
    const std::size_t length = std::min<std::size_t>(text.size(), 0xFFFF);
    putU16(std::uint16_t(length));
    block_.append(text, 0, length);
}

void FrameWriter::putText32(const std::string &text)
{
    putU32(std::uint32_t(text.size()));
    block_ += text;
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
