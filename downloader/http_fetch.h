// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vexo {

// Progress of the current fetch, read by the progress display and the
// runner. Both keep the last fetch's values until the next one begins.
struct FetchProgress {
    std::int64_t fetchedBytes = 0; // bytes received so far
    std::int64_t fetchTotal = 0;   // the size the server names, or the listed size
    // Of fetchedBytes, those kept from an earlier transfer that the current
    // one resumes: its speed counts only the rest.
    std::int64_t keptBytes = 0;
};

// When a fetch gives up on a silent server.
struct FetchLimits {
    long connectSeconds = 30; // connecting may take this long
    long stallSeconds = 60;   // a transfer may deliver no byte for this long
};

// How a fetch ended.
enum class Fetched {
    Failed, // nothing usable arrived: no answer, an error status, a body cut short
    Empty,  // a success status with an empty body
    Whole,  // the whole body arrived and is in place
};

// Fetches an http or https address into the file `path`. Every wait is a
// poll of kWaitSlice (downloader/pump_pacer.h), and `pump` runs between
// them at most once per 10 ms, whether the body streams in or the server
// keeps silent, and while the whole file is flushed and put in place (on
// a thread of its own); `progress` is up to date whenever it runs. What the
// pump throws aborts the fetch and passes on: during that flush, once the
// flush under way has ended, with the file left as partial, unnamed. The body takes shape in the
// partial download beside `path` (downloader/partial_download.h), and gets
// a name, flushed to disk, only when the whole body arrived: a 2xx status,
// and a body whole by its own framing, exactly the length the server names
// or chunks that end with the last one, whatever the list says; only a
// body that ends when the connection closes is held to `listedSize`, when
// that is a positive decimal number (a connection that breaks half way
// fails, as libcurl reports). Only the file's own bytes are asked for: a
// body the server codes anyway (gzip) is decoded, and one in a coding
// libcurl cannot undo fails.
//
// Bytes that arrived under a validator (a strong ETag, or Last-Modified)
// are kept when the transfer breaks off or is aborted: it is resumed at
// once ("Range" from where the bytes end, "If-Range" on the validator), up
// to five times while each try brings more, and a later fetch of the same
// address and listed size resumes them too, in this run or a later one. A
// 206 that continues them is appended; any other success status (the
// server ignores the range, or the file changed) brings the file whole
// from its first byte, and an answer that fits neither drops the bytes
// kept and asks once more for the whole file: a file is never made of two
// versions. Without a validator nothing is kept.
//
// The name is `path`'s, or the first free one of the "(n)" rule
// ("(1)clip.avi"): no file is ever replaced, and a file there that holds
// exactly the same bytes counts as this one arrived. A body longer than
// the length the server names (or, for one that ends when the connection
// closes, the positive listed size) is cut off there and fails, and
// nothing of it is kept. Nothing of a failed, empty or aborted fetch
// touches the file's name, and no temporary is left behind. The address
// must be http(s); a silent server is given up on as `limits` say.
// `listedSize` also stands in for the total when the server names none.
// Throws FileError naming the file when it cannot be created, written or
// put in place, and StopRequest when the program is asked to end meanwhile.
Fetched FetchToFile(const std::string& url, const std::string& path, const std::string& listedSize,
                    FetchProgress& progress, const std::function<void()>& pump, const FetchLimits& limits = {});

// The listed size as a byte count; nothing when it is not a decimal number.
std::optional<std::int64_t> ParseListedSize(const std::string& text);

} // namespace vexo
