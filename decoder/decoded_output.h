// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace vexo {

class PosixFile;
struct QueueEntry;

// Where a decoded file goes: RealName in the encoded file's folder, or
// "(n)" + RealName for the first n whose name is free. A name too long for
// the folder is shortened, keeping its extension.
class OutputName {
public:
    explicit OutputName(const QueueEntry& entry);

    const std::string& path() const { return path_; }
    // Whether this is a "(n)" name.
    bool renamed() const { return number_ > 0; }
    // Moves on to the next "(n)" name.
    void next();

private:
    std::string folder_;
    std::string realName_;
    std::int64_t number_ = 0;
    std::string path_;
};

// Whether any file (a dangling link included) has this name.
bool NameTaken(const std::string& path);

// Whether the regular file at `path` holds exactly the data that decoding
// `entry` from `encoded` gives: a decode that was cut off once its output
// was in place, before its encoded file was deleted.
bool HoldsDecodedData(const std::string& path, const QueueEntry& entry, PosixFile& encoded);

// Reads the trailer of the open encoded file again and throws, with the
// user's text, unless its size, key and data offset are still those of
// the inspection: a file replaced since then is not decoded.
void CheckStillAsInspected(PosixFile& encoded, const QueueEntry& entry);

} // namespace vexo
