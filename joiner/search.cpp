// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/search.h"

#include "joiner/folder_entries.h"
#include "joiner/wildcard_mask.h"

#include <dirent.h>

namespace vexo {

namespace {

// The attribute word of one entry. Only what `wanted` asks for is looked up,
// so a search that requires nothing never touches the entries themselves.
std::uint32_t EntryAttributes(const std::string& folder, const FolderEntry& entry, std::uint32_t wanted)
{
    std::uint32_t attributes = 0;
    if (!entry.name.empty() && entry.name.front() == '.')
        attributes |= kAttrHidden;
    const bool kindKnown = entry.type != DT_UNKNOWN && entry.type != DT_LNK;
    if (kindKnown && entry.type == DT_DIR)
        attributes |= kAttrDirectory;
    const bool needStatus = (wanted & kAttrReadOnly) || ((wanted & kAttrDirectory) && !kindKnown);
    if (needStatus) {
        if (const auto status = EntryStatus(folder, entry)) {
            if (S_ISDIR(status->st_mode))
                attributes |= kAttrDirectory;
            if (!(status->st_mode & S_IWUSR))
                attributes |= kAttrReadOnly;
        }
    }
    return attributes;
}

} // namespace

bool FindFiles(const std::string& folder, const std::string& mask, std::uint32_t requiredAttributes,
               std::vector<std::string>& list, bool withFolder)
{
    const auto entries = ReadFolder(folder);
    if (!entries)
        return false;
    const WildcardMask pattern(mask);
    bool appended = false;
    for (const FolderEntry& entry : *entries) {
        if (!pattern.matches(entry.name))
            continue;
        if (requiredAttributes != 0
            && (EntryAttributes(folder, entry, requiredAttributes) & requiredAttributes) != requiredAttributes)
            continue;
        list.push_back(withFolder ? folder + "/" + entry.name : entry.name);
        appended = true;
    }
    return appended;
}

} // namespace vexo
