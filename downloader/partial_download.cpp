// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/partial_download.h"

#include "base/atomic_file.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/temporary_files.h"

#include <memory>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo {

namespace {

// The first line of a record; the address, the listed size and the
// validator follow, a line each. None of them holds a line feed: the
// server lists the first two as lines, and the validator comes from a
// header line.
constexpr const char* kRecordHeader = "vexorama partial download 1\n";
// A record is a few lines; anything larger is not one of ours.
constexpr std::size_t kMostRecordBytes = 16 * 1024;

// The hidden name for a target's name, shortened as the folder needs and
// without the characters FAT refuses: the partial takes shape before the
// file's own name is tried, so it must suit every folder.
std::string HiddenName(const char* prefix, const std::string& targetName)
{
    return FitFileName(FatSafeName(prefix + targetName));
}

std::string HiddenPath(const char* prefix, const std::string& target)
{
    return FolderPart(target) + HiddenName(prefix, FileNamePart(target));
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

} // namespace

PartialDownload::PartialDownload(const std::string& target)
    : dataPath_(HiddenPath(kPartialPrefix, target)), recordPath_(HiddenPath(kResumeRecordPrefix, target))
{}

std::optional<PartialDownload::Kept> PartialDownload::kept(const std::string& url, const std::string& listedSize) const
{
    std::string text;
    std::int64_t bytes = 0;
    try {
        PosixFile record = PosixFile::OpenReadOnly(recordPath_);
        PosixFile data = PosixFile::Open(dataPath_, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
        if (!record.isOpen() || !record.isRegular() || !data.isOpen() || !data.isRegular())
            return std::nullopt;
        text = ReadToEnd(record, kMostRecordBytes + 1);
        bytes = data.size();
    } catch (const FileError&) {
        // Unreadable: the file is fetched whole.
        return std::nullopt;
    }
    if (text.rfind(kRecordHeader, 0) != 0 || text.size() > kMostRecordBytes)
        return std::nullopt;
    const std::vector<std::string> lines = Lines(text.substr(std::string(kRecordHeader).size()));
    if (lines.size() != 3 || lines[0] != url || lines[1] != listedSize || lines[2].empty() || bytes <= 0)
        return std::nullopt;
    return Kept{bytes, lines[2]};
}

void PartialDownload::record(const std::string& url, const std::string& listedSize, const std::string& validator) const
{
    AtomicFile file(recordPath_, SaveOptions{.newFileMode = 0600, .temporaryPrefix = kTemporaryPrefix});
    file.write(kRecordHeader);
    file.write(url + "\n" + listedSize + "\n" + validator + "\n");
    file.commit();
}

void PartialDownload::forget() const
{
    ::unlink(recordPath_.c_str());
}

void PartialDownload::remove() const
{
    forget();
    ::unlink(dataPath_.c_str());
}

void RemovePartialsExcept(const std::string& folder, const std::set<std::string>& targetNames)
{
    std::set<std::string> kept;
    for (const std::string& name : targetNames) {
        kept.insert(HiddenName(kPartialPrefix, name));
        kept.insert(HiddenName(kResumeRecordPrefix, name));
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return;
    std::vector<std::string> unlisted;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (IsPartialDownloadName(name) && !kept.contains(name))
            unlisted.push_back(name);
    }
    for (const std::string& name : unlisted) {
        struct stat info {};
        if (::fstatat(::dirfd(dir.get()), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)
            && info.st_uid == ::geteuid())
            ::unlinkat(::dirfd(dir.get()), name.c_str(), 0);
    }
}

} // namespace vexo
