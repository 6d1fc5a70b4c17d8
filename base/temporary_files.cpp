// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/temporary_files.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

namespace vexo {

namespace {

bool IsDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool ProcessRuns(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

bool IsStaleTemporary(std::string_view name)
{
    const std::string_view prefix = kTemporaryPrefix;
    if (name.substr(0, prefix.size()) != prefix)
        return false;
    name.remove_prefix(prefix.size());
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos || !IsDigits(name.substr(0, dash)) || !IsDigits(name.substr(dash + 1)))
        return false;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + dash, pid);
    if (error != std::errc() || pid <= 1)
        return false;
    return pid != ::getpid() && !ProcessRuns(pid);
}

void RemoveStaleTemporaries(const std::string& folder)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (IsStaleTemporary(entry->d_name))
            ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}

} // namespace vexo
