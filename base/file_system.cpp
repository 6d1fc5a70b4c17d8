// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_system.h"

#include <filesystem>

#include <sys/stat.h>

namespace vexo {

bool FolderExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void MakeFolder(const std::string& path)
{
    std::error_code reportedByTheFirstUse;
    if (!path.empty())
        std::filesystem::create_directories(path, reportedByTheFirstUse);
}

} // namespace vexo
