// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/pacing.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vexo {

class Dialogs;
class JoinerLog;
class PartIndex;

// The unit of copying: the bytes bar moves once per block of this size,
// though the blocks are copied in runs (base/block_runs.h).
inline constexpr std::size_t kJoinBlockSize = 35536;

// Suffixes are two single-byte characters, so part numbers stop where the
// first one would pass the last byte value.
inline constexpr std::int32_t kMaxPartCount = (256 - 97) * 26;

// One first part found in the folder, and the parts that follow it.
struct SplitFile {
    std::string path;     // folder + "/" + the first part's name
    std::string baseName; // the first part's name without its last three characters
    // Names on disk of the consecutive parts, the first part included; the
    // following ones were matched without regard to case.
    std::vector<std::string> partNames;

    std::int32_t partCount() const { return static_cast<std::int32_t>(partNames.size()); }
};

// What the caller decides for one joining run.
struct JoinOptions {
    bool deleteParts = false; // delete each part once all its bytes are in the output
    Pacing interval{1};       // full blocks between two pumps
};

// The two-character suffix of part n (0 for the first part): "aa", "ab",
// ..., "zz" for 675, then on past "z" ("{a" for 676). Characters past the
// ASCII range are the Windows-1251 ones, as UTF-8. 0 <= n < kMaxPartCount.
std::string PartSuffix(std::int32_t n);

// Finds every first part ("*.aa", without regard to case, with a name
// before the suffix) in `folder`, logs
// "Найден файл ..." for each and pumps after each line.
std::vector<SplitFile> FindSplitFiles(const std::string& folder, JoinerLog& log, Dialogs& dialogs);

// The entry for the first part `name` of the indexed folder: its parts are
// counted up to the first gap ("x.aa x.ab x.ad" gives two).
SplitFile CountParts(const PartIndex& folder, const std::string& name);

// Joins every entry of more than one part, in the order found; a one-part
// entry only gets its " - только одна часть, пропуск" line. Returns whether
// every join succeeded.
bool JoinFoundFiles(const std::vector<SplitFile>& found, JoinerLog& log, Dialogs& dialogs, const JoinOptions& options);

// Concatenates the parts `partNames` of `folderPath` (which ends with the
// separator) into folderPath + baseName, logging one line and driving the
// parts bar and the bytes bar. A different file of that name is never
// replaced: the output takes the first free "(n)" name, as the log line
// says; a file holding exactly the joined bytes counts as the join done. A failure shows a warning box, stops this
// file only and returns false; the output keeps what was written.
bool JoinParts(const std::string& folderPath, const std::string& baseName, const std::vector<std::string>& partNames,
               JoinerLog& log, Dialogs& dialogs, const JoinOptions& options);

// The joining run of the "Соединение" button and of a decode run: finds the
// split files of `folder` and joins them, pumping every `interval` full
// blocks. Returns whether every join succeeded.
bool JoinSplitFiles(const std::string& folder, JoinerLog& log, Dialogs& dialogs, bool deleteParts, Pacing interval);

} // namespace vexo
