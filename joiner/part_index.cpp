// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/part_index.h"

#include "joiner/name_fold.h"

namespace vexo {

PartIndex::PartIndex(std::string folder) : folder_(std::move(folder))
{
    const auto entries = ReadFolder(folder_);
    if (!entries)
        return;
    for (const FolderEntry& entry : *entries)
        entriesByFoldedName_[FoldName(entry.name)].push_back(entry);
}

std::optional<std::string> PartIndex::findFile(const std::string& name) const
{
    const auto found = entriesByFoldedName_.find(FoldName(name));
    if (found == entriesByFoldedName_.end())
        return std::nullopt;
    const FolderEntry* best = nullptr;
    for (const FolderEntry& entry : found->second) {
        if (!IsRegularFileEntry(folder_, entry))
            continue;
        if (entry.name == name)
            return entry.name;
        if (!best || entry.name < best->name)
            best = &entry;
    }
    if (!best)
        return std::nullopt;
    return best->name;
}

} // namespace vexo
