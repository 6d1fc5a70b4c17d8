// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vexo {

// Progress of the current fetch, read by the progress display and the
// runner. Both keep the last fetch's values until the next one begins.
struct FetchProgress {
    std::int64_t fetchedBytes = 0; // bytes received so far
    std::int64_t fetchTotal = 0;   // the size the server names, or the listed size
};

// When a fetch gives up on a silent server.
struct FetchLimits {
    long connectSeconds = 30; // connecting may take this long
    long stallSeconds = 60;   // a transfer may deliver no byte for this long
};

// Fetches an http or https address into the file `path`, in 1024-byte
// blocks, calling `pump` after every block. The body goes into a temporary
// file beside `path`, which replaces `path` (the file it leads to, when it
// is a link) and is flushed to disk only when the whole body arrived with a
// 2xx status: true then, and the file holds the body (possibly empty). False when the address is not http(s), cannot be
// opened, answers outside 2xx, breaks off before the length it named, or
// stalls; `path` is then untouched and no file is left behind.
// `listedSize` (decimal, from the server's list) is the expected size when
// the server names none; one that is not a number counts as unknown (0).
// Throws std::runtime_error naming the file when it cannot be created,
// written or put in place.
bool FetchToFile(const std::string& url, const std::string& path, const std::string& listedSize,
                 FetchProgress& progress, const std::function<void()>& pump, const FetchLimits& limits = {});

// The listed size as a byte count; 0 when it is not a decimal number.
std::int64_t ListedSize(const std::string& text);

} // namespace vexo
