// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/working_folder.h"

#include "base/file_system.h"

namespace vexo {

bool WorkingFolder::choose(const std::string& folder)
{
    if (folder == path_)
        return false;
    path_ = folder;
    return true;
}

WorkingFolder::InUse WorkingFolder::fallBack(const std::string& defaultFolder)
{
    if (FolderExists(path_))
        return {path_, false};
    path_ = defaultFolder;
    MakeFolder(path_);
    return {path_, true};
}

} // namespace vexo
