// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/folder_entries.h"

#include <cstring>
#include <memory>

#include <dirent.h>

namespace vexo {

std::optional<std::vector<FolderEntry>> ReadFolder(const std::string& folder)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return std::nullopt;
    std::vector<FolderEntry> entries;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        entries.push_back({entry->d_name, entry->d_type});
    }
    return entries;
}

std::optional<struct stat> EntryStatus(const std::string& folder, const FolderEntry& entry)
{
    struct stat status {};
    if (::stat((folder + "/" + entry.name).c_str(), &status) != 0)
        return std::nullopt;
    return status;
}

bool IsRegularFileEntry(const std::string& folder, const FolderEntry& entry)
{
    if (entry.type == DT_REG)
        return true;
    if (entry.type != DT_UNKNOWN && entry.type != DT_LNK)
        return false;
    const auto status = EntryStatus(folder, entry);
    return status && S_ISREG(status->st_mode);
}

} // namespace vexo
