// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace vexo {

// What a mark or a record entry holds of a file.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t modified = 0; // seconds
};

// The files the program made itself (decoded and joined outputs) never go
// round again: a later scan of their folder does not take one for a
// container. Each carries the extended attribute kMadeMarkAttribute where
// the file system keeps such attributes (ext4, btrfs, tmpfs, ...); where
// it keeps none (vfat, exFAT), the folder's hidden record kMadeFilesRecord
// names it. Mark and record hold the file's size and modification time, so
// a file rewritten or replaced since (a container copied over it, a new
// file under a name once used) is no longer taken for one of ours.
inline constexpr const char* kMadeMarkAttribute = "user.vexorama.made";
// Not in the shape of the program's temporaries (".vexorama-<pid>-<n>"),
// which a clean-up removes.
inline constexpr const char* kMadeFilesRecord = ".vexorama.made";

// Whether `name` is that of the record, which no name from outside takes.
bool IsMadeFilesRecordName(std::string_view name);

// Marks the regular file at `path` as made by the program: the attribute,
// or where it cannot be set, an entry in the record of its folder (whose
// entries for files gone or changed are dropped at the same time). Throws
// FileError when neither can be written.
void MarkAsMade(const std::string& path);

// The made files of one folder, read once for a scan.
class MadeFiles {
public:
    explicit MadeFiles(std::string folder);

    // Whether the file `name` of the folder is one the program made and
    // has not changed since.
    bool contains(const std::string& name) const;

private:
    std::string folder_;
    std::map<std::string, FileStamp> recorded_;
};

} // namespace vexo
