// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace vexo::server {

// The part of a download a request asks for.
struct AskedPart {
    enum class Kind {
        Whole,         // 200, the whole file
        Part,          // 206, bytes first to last
        Unsatisfiable, // 416: the range starts past the file's end
    };
    Kind kind = Kind::Whole;
    std::int64_t first = 0;
    std::int64_t last = 0;
};

// What a download of a `size`-byte file answers to the request's Range
// and If-Range headers (empty when absent). One range of bytes is served
// ("bytes=N-", "bytes=N-M", "bytes=-K"); several ranges, another unit or
// an If-Range that names neither `entityTag` nor `lastModified` get the
// whole file, as a server may answer any range it does not serve.
AskedPart PartAsked(const std::string& range, const std::string& ifRange, std::int64_t size,
                    const std::string& entityTag, const std::string& lastModified);

// The time (seconds since the epoch) as HTTP writes dates,
// "Wed, 09 Dec 2026 21:03:04 GMT", whatever the locale.
std::string HttpDate(std::int64_t seconds);

} // namespace vexo::server
