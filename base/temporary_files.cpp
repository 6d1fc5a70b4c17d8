// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/temporary_files.h"

#include "base/int_text.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
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

// The process number of a name of the temporaries' shape.
std::optional<pid_t> TemporaryOwner(std::string_view name)
{
    const std::string_view prefix = kTemporaryPrefix;
    if (name.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    name.remove_prefix(prefix.size());
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos || !IsDigits(name.substr(0, dash)) || !IsDigits(name.substr(dash + 1)))
        return std::nullopt;
    const std::optional<std::int64_t> pid = ParseDecimal(name.substr(0, dash), 2, std::numeric_limits<pid_t>::max());
    if (!pid)
        return std::nullopt;
    return static_cast<pid_t>(*pid);
}

} // namespace

bool IsPartialDownloadName(std::string_view name)
{
    return name.starts_with(kPartialPrefix) || name.starts_with(kResumeRecordPrefix);
}

bool HasTemporaryShape(std::string_view name)
{
    return TemporaryOwner(name).has_value();
}

bool IsStaleTemporary(std::string_view name)
{
    const std::optional<pid_t> pid = TemporaryOwner(name);
    return pid && *pid != ::getpid() && !ProcessRuns(*pid);
}

void RemoveStaleTemporaries(const std::string& folder)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!IsStaleTemporary(entry->d_name))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)
            && info.st_uid == ::geteuid())
            ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}

} // namespace vexo
