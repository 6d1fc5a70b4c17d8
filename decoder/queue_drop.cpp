// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/queue_drop.h"

#include "base/file_system.h"

#include <algorithm>

namespace vexo {

DropUse UseOfDrop(const Drop& drop)
{
    if (drop.foreign || drop.localPaths.empty())
        return DropUse::Refuse;
    if (drop.localPaths.size() == 1 && FolderExists(drop.localPaths.front()))
        return DropUse::TakeFolder;
    const bool filesAlone = std::all_of(drop.localPaths.begin(), drop.localPaths.end(),
                                        [](const std::string& path) { return RegularFileExists(path); });
    return filesAlone ? DropUse::QueueFiles : DropUse::Refuse;
}

std::string DroppedFolder(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace vexo
