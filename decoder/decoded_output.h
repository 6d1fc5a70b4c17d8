// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/numbered_name.h"

#include <cstdint>
#include <string>

namespace vexo {

class PosixFile;
struct QueueEntry;

// Where a decoded file goes: RealName in the encoded file's folder, or the
// next name of the "(n)" rule.
NumberedName OutputName(const QueueEntry& entry);

// Whether the regular file at `path` holds exactly the data that decoding
// `entry` from `encoded` gives: a decode that was cut off once its output
// was in place, before its encoded file was deleted.
bool HoldsDecodedData(const std::string& path, const QueueEntry& entry, PosixFile& encoded);

// Reads the trailer of the open encoded file again and throws, with the
// user's text, unless its size, key and data offset are still those of
// the inspection: a file replaced since then is not decoded.
void CheckStillAsInspected(PosixFile& encoded, const QueueEntry& entry);

} // namespace vexo
