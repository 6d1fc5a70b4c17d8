// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexo {

// The part of the file a 206 answer brings: bytes first to last, of a
// file of `total` bytes when the server names its size.
struct ContentRange {
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::optional<std::int64_t> total;
};

// What an answer's headers say of its body. An answer the fetch follows
// (a redirect, "100 Continue") starts them afresh.
struct AnswerHeaders {
    bool chunked = false;
    // A content coding other than "identity": libcurl decodes it, so the
    // length the answer names counts the coded bytes, not the file's.
    bool contentCoded = false;
    // A transfer coding other than "chunked", which libcurl would pass on
    // undecoded.
    bool otherTransferCoding = false;
    std::string entityTag;    // a strong ETag, quotes included; a weak one cannot guard a resume
    std::string lastModified; // the Last-Modified date as sent
    std::optional<ContentRange> range;

    // What a resume sends as If-Range: the strong ETag, else the date;
    // empty when the answer named neither.
    std::string validator() const { return entityTag.empty() ? lastModified : entityTag; }
};

// Takes one header line as libcurl passes it (its line end included).
void TakeHeaderLine(AnswerHeaders& headers, std::string_view line);

// A Content-Range value, "bytes 100-199/1000" or "bytes 100-199/*";
// nothing when it is not one.
std::optional<ContentRange> ParseContentRange(std::string_view value);

} // namespace vexo
