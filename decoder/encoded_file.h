// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/file_names.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vexo {

class Dialogs;

// One accepted encoded file: what decoding it needs, as found at inspection.
struct QueueEntry {
    std::string path;     // as the caller composed it
    std::string realName; // UTF-8 name of the decoded file
    std::uint8_t key = 0;
    std::int32_t dataOffset = 0;
    std::int64_t fileSize = 0;
    std::int64_t dataSize = 0; // FileSize - DataOffset - trailer; never negative
};

// The fields of a trailer that passed the recognition check.
struct TrailerFields {
    std::int32_t dataOffset = 0;
    std::uint8_t key = 0;
    std::string storedName; // raw Windows-1251 bytes, 3 to 128 of them
};

// Reads the trailer at the start of `trailer` (the last bytes of a file of
// `fileSize` bytes) and applies the recognition check: a data offset from 0
// up to the start of the trailer, and a stored name of 3 to 128 bytes with
// no control character (below 0x20, or 0x7F). Only
// the first 6 + L bytes are looked at; a `trailer` too short for them is
// not a trailer. Pure, so that it can be fuzzed.
std::optional<TrailerFields> ParseTrailer(std::string_view trailer, std::int64_t fileSize);

// The decoded file's name from the stored bytes. From the folder scan
// (`sanitiseName`) ? * : \ | " become "_"; on either path "/" and NUL do
// too, so the name never leaves the encoded file's folder. The result is
// converted from Windows-1251 to UTF-8 and has one character per byte; one
// in the shape of the program's temporaries is changed (NameFromOutside).
std::string RealNameFromStored(std::string_view storedName, bool sanitiseName);

// Opens the candidate, checks its trailer and returns the entry, or shows
// "I/O Error - <name>" (cannot open) or "<name> -  NOT PACK" (not encoded)
// and returns nothing. `afterOpen` runs once the file is open, before the
// check. A read failure after opening throws.
std::optional<QueueEntry> InspectFile(const std::string& path, bool sanitiseName, Dialogs& dialogs,
                                      const std::function<void()>& afterOpen = {});

} // namespace vexo
