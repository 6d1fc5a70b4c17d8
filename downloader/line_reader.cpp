// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/line_reader.h"

#include <algorithm>
#include <cstring>

namespace vexo {

namespace {

constexpr std::size_t kPeekChunk = 16 * 1024;

} // namespace

AnswerLine ReadLine(ByteStream& stream, std::size_t maxLength)
{
    AnswerLine line;
    char buffer[kPeekChunk];
    stream.lineStarts();
    for (;;) {
        // One byte beyond the limit is looked at: a line feed there still
        // ends a line of exactly maxLength.
        const std::size_t room = maxLength - line.text.size() + 1;
        const std::size_t got = stream.peek(buffer, std::min(room, sizeof buffer));
        if (got == 0) {
            line.end = LineEnd::Closed;
            return line;
        }
        if (const void* feed = std::memchr(buffer, '\n', got)) {
            const auto length = static_cast<std::size_t>(static_cast<const char*>(feed) - buffer);
            line.text.append(buffer, length);
            stream.consume(length + 1);
            line.end = LineEnd::Feed;
            return line;
        }
        if (line.text.size() + got > maxLength) {
            line.text.append(buffer, maxLength - line.text.size());
            line.end = LineEnd::TooLong;
            return line;
        }
        line.text.append(buffer, got);
        stream.consume(got);
    }
}

std::size_t MemoryStream::peek(char* buffer, std::size_t size)
{
    const std::size_t count = std::min(size, bytes_.size());
    std::memcpy(buffer, bytes_.data(), count);
    return count;
}

void MemoryStream::consume(std::size_t size)
{
    bytes_.remove_prefix(std::min(size, bytes_.size()));
}

} // namespace vexo
