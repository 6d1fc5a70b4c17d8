// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/pacing.h"

#include <cstddef>
#include <cstdint>

namespace vexo {

class DecoderView;
class Dialogs;
class QueueList;
struct QueueEntry;

// The unit of the progress: the bar and the text move once per block of
// this size. The blocks are decoded in runs (base/block_runs.h) through one
// buffer of a run's size, all the memory a decode uses whatever the file's
// size.
inline constexpr std::size_t kDecodeBlockSize = 35536;

// " [Файл существует, переимнование]": appended to the entry's line when the
// output had to take a "(n)" name.
extern const char* const kRenamedMark;

// Decodes one queued file beside itself: the output is named RealName, or
// "(n)" + RealName for the first n free, so an existing file is never
// replaced; a name already holding exactly the decoded data (a decode cut
// off before its encoded file went) is taken as the output. The output is
// written under a hidden temporary name and put in place, on the disk,
// only when complete, and marked as made by the program (base/made_files.h)
// so that no later scan takes it for a container. Reports progress in the file bar and the status bar,
// and pumps every `pacing` blocks. `position` counts from 1 and names the
// entry's line (position - 1).
//
// Throws std::runtime_error with the user's text when a file cannot be
// opened (after an "I/O Error" box), read or written, or is no longer the
// file that was inspected; nothing is left under any name then.
void DecodeFile(const QueueEntry& entry, int position, Pacing pacing, QueueList& list, DecoderView& view,
                Dialogs& dialogs);

} // namespace vexo
