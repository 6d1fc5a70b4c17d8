// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexo {

// Bytes of a server's answer that can be looked at before they are taken,
// so that a line is read up to its line feed and never past it.
class ByteStream {
public:
    virtual ~ByteStream() = default;

    // A new line is about to be read (a stream may time each line).
    virtual void lineStarts() {}
    // Copies up to `size` (> 0) waiting bytes into `buffer` without taking
    // them, waiting for at least one; 0 once the stream has ended (closed,
    // failed or timed out).
    virtual std::size_t peek(char* buffer, std::size_t size) = 0;
    // Takes `size` bytes that the last peek showed.
    virtual void consume(std::size_t size) = 0;
};

// The longest line taken from a server; a hostile server cannot make the
// program hold more than this per line.
inline constexpr std::size_t kMaxLineLength = 64 * 1024;

enum class LineEnd {
    Feed,    // a line feed ended the line
    Closed,  // the stream ended first; `text` is what arrived of the line
    TooLong, // the line ran past the limit; `text` holds the limit's worth
};

struct AnswerLine {
    std::string text;
    LineEnd end = LineEnd::Closed;
};

// Reads one line: everything up to the next line feed, which is taken and
// dropped; a carriage return before it stays part of the line.
AnswerLine ReadLine(ByteStream& stream, std::size_t maxLength = kMaxLineLength);

// A stream over bytes held in memory, for parsing a recorded answer.
class MemoryStream : public ByteStream {
public:
    explicit MemoryStream(std::string_view bytes) : bytes_(bytes) {}

    std::size_t peek(char* buffer, std::size_t size) override;
    void consume(std::size_t size) override;

private:
    std::string_view bytes_;
};

} // namespace vexo
