// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/account_folder.h"

#include "base/cp1251.h"
#include "decoder/container_format.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo::server {

namespace {

std::string HexId(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

bool HasControlCharacters(std::string_view name)
{
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

bool IsPicture(std::string_view name)
{
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "jpg" || extension == "jpeg" || extension == "gif" || extension == "png" || extension == "bmp";
}

// Removes the directory stream when the scope ends.
struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::int64_t WaitingFile::handoutSize() const
{
    if (!wrap)
        return plainSize;
    return static_cast<std::int64_t>(wrap->leadingBytes.size()) + plainSize + kTrailerSize;
}

bool IsSafeFileName(std::string_view name)
{
    return !name.empty() && name.size() <= 255 && name != "." && name != ".."
           && name.find_first_of("/\\") == std::string_view::npos && !HasControlCharacters(name)
           && !name.starts_with(AccountFolder::kUploadPrefix) && Cp1251ToUtf8(Utf8ToCp1251(name)) == name;
}

AccountFolder::AccountFolder(std::string folder, std::vector<std::string> wrapGlobs, std::uint64_t seed, ServerLog& log)
    : folder_(std::move(folder)), wrapGlobs_(std::move(wrapGlobs)), seed_(seed), log_(log)
{}

std::vector<WaitingFile> AccountFolder::list()
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder_.c_str()));
    if (!dir)
        throw std::runtime_error(folder_ + ": " + std::strerror(errno));
    std::vector<WaitingFile> files;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || name.starts_with(kUploadPrefix))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir.get()), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (auto file = describe(name, info.st_size))
            files.push_back(std::move(*file));
    }
    std::sort(files.begin(), files.end(),
              [](const WaitingFile& a, const WaitingFile& b) { return a.diskName < b.diskName; });
    return files;
}

std::optional<WaitingFile> AccountFolder::find(std::string_view id)
{
    for (auto& file : list()) {
        if (file.id == id)
            return std::move(file);
    }
    return std::nullopt;
}

std::unique_ptr<HandoutStream> AccountFolder::open(std::string_view id)
{
    auto found = find(id);
    if (!found)
        return nullptr;
    const std::string path = folder_ + "/" + found->diskName;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return nullptr; // removed or replaced since it was listed
    }
    if (found->wrap)
        return std::make_unique<HandoutStream>(fd, info.st_size, std::move(*found->wrap));
    return std::make_unique<HandoutStream>(fd, info.st_size);
}

std::optional<WaitingFile> AccountFolder::remove(std::string_view id)
{
    auto found = find(id);
    if (!found)
        return std::nullopt;
    const std::string path = folder_ + "/" + found->diskName;
    if (::unlink(path.c_str()) != 0) {
        if (errno == ENOENT)
            return std::nullopt; // another request removed it first
        throw std::runtime_error(path + ": " + std::strerror(errno));
    }
    return found;
}

std::optional<WaitingFile> AccountFolder::describe(const std::string& name, std::int64_t size)
{
    const std::string storedName = Utf8ToCp1251(name);
    if (HasControlCharacters(name)) {
        reportOnce(name, "its name holds control characters");
        return std::nullopt;
    }
    if (Cp1251ToUtf8(storedName) != name) {
        reportOnce(name, "its name cannot be written in Windows-1251");
        return std::nullopt;
    }
    WaitingFile file;
    file.id = HexId(HashBytes(name));
    file.diskName = name;
    file.listedName = name;
    file.plainSize = size;
    if (wraps(name)) {
        if (storedName.size() >= kMinWrappedNameLength && storedName.size() <= kMaxWrappedNameLength) {
            file.listedName = file.id + (IsPicture(name) ? ".jpg" : ".avi");
            file.wrap = MakeWrapPlan(seed_, name, storedName, size);
        } else {
            reportOnce(name, "handed out plain: a name of " + std::to_string(storedName.size())
                                 + " bytes cannot be stored in an encoded file");
        }
    }
    return file;
}

bool AccountFolder::wraps(const std::string& name) const
{
    return std::any_of(wrapGlobs_.begin(), wrapGlobs_.end(), [&](const std::string& glob) {
        return ::fnmatch(glob.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
    });
}

void AccountFolder::reportOnce(const std::string& name, const std::string& reason)
{
    {
        std::lock_guard lock(reportedMutex_);
        if (!reported_.insert(name + '\n' + reason).second)
            return;
    }
    log_.line("folder: \"" + name + "\": " + reason);
}

} // namespace vexo::server
