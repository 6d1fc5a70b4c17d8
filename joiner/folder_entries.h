// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace vexo {

// One name in a folder, with the kind the folder listing gave for it
// (a DT_* value; DT_UNKNOWN where the file system does not say).
struct FolderEntry {
    std::string name;
    unsigned char type;
};

// The entries of one folder except "." and "..", in the order the file
// system lists them; nothing when the folder cannot be opened.
std::optional<std::vector<FolderEntry>> ReadFolder(const std::string& folder);

// The entry's status, following a symbolic link; nothing for a dangling link
// or an entry that has gone since the listing.
std::optional<struct stat> EntryStatus(const std::string& folder, const FolderEntry& entry);

// Whether the entry is a regular file (or a link to one), asking the file
// system only when the listing did not already say.
bool IsRegularFileEntry(const std::string& folder, const FolderEntry& entry);

} // namespace vexo
