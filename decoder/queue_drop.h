// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace vexo {

// What is dragged over the decoder tab's list, or dropped on it.
struct Drop {
    // The local files and folders it names.
    std::vector<std::string> localPaths;
    // It holds something else too: a web address, a file on another host,
    // or no file at all.
    bool foreign = false;
};

// What a drop is good for. Files alone are queued as picked files are, and
// one folder alone becomes the working folder. Anything else is refused as a
// whole: a folder beside files or another folder, a path that is gone, a
// device or a pipe, or anything foreign.
enum class DropUse { QueueFiles, TakeFolder, Refuse };
DropUse UseOfDrop(const Drop& drop);

// A dropped folder as the working folder: without a trailing "/", except
// for the root itself.
std::string DroppedFolder(std::string path);

} // namespace vexo
