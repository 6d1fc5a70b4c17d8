// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_system.h"

#include <cstdlib>
#include <filesystem>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo {

bool FolderExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool RegularFileExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    const passwd* user = ::getpwuid(::getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

void MakeFolder(const std::string& path)
{
    std::error_code reportedByTheFirstUse;
    if (!path.empty())
        std::filesystem::create_directories(path, reportedByTheFirstUse);
}

std::string AbsolutePath(const std::string& path)
{
    if (path.empty())
        return path;
    std::error_code noCurrentFolder;
    const std::filesystem::path absolute = std::filesystem::absolute(path, noCurrentFolder);
    if (noCurrentFolder)
        return path;
    std::string normal = absolute.lexically_normal().string();
    // "." and ".." leave a "/" behind that the path did not have.
    if (normal.size() > 1 && normal.ends_with('/') && !path.ends_with('/'))
        normal.pop_back();
    return normal;
}

} // namespace vexo
