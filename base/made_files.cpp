// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/made_files.h"

#include "base/atomic_file.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/int_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace vexo {

namespace {

// More than any folder's record holds; a bigger file is none of ours.
constexpr std::size_t kLongestRecord = 16 << 20;
// FAT keeps modification times to 2 seconds; the kernel may round them
// once the file leaves its cache.
constexpr std::int64_t kTimeSlack = 2;

std::optional<FileStamp> StampOf(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileStamp{static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec)};
}

bool SameStamp(const FileStamp& a, const FileStamp& b)
{
    return a.size == b.size && std::llabs(a.modified - b.modified) <= kTimeSlack;
}

std::string StampText(const FileStamp& stamp)
{
    return std::to_string(stamp.size) + " " + std::to_string(stamp.modified);
}

// "<size> <seconds>", then for a record's entry " <name>".
std::optional<FileStamp> ParseStamp(std::string_view& text)
{
    const std::size_t sizeEnd = text.find(' ');
    if (sizeEnd == std::string_view::npos)
        return std::nullopt;
    const std::size_t timeEnd = std::min(text.find(' ', sizeEnd + 1), text.size());
    const std::optional<std::int64_t> size = ParseDecimal(text.substr(0, sizeEnd), INT64_MIN, INT64_MAX);
    const std::optional<std::int64_t> modified =
        ParseDecimal(text.substr(sizeEnd + 1, timeEnd - sizeEnd - 1), INT64_MIN, INT64_MAX);
    if (!size || !modified)
        return std::nullopt;
    text.remove_prefix(timeEnd);
    return FileStamp{*size, *modified};
}

std::string RecordPath(const std::string& folder)
{
    return folder + kMadeFilesRecord;
}

// The record's entries: "<size> <seconds> <name>", each ended by a NUL,
// which no file name holds. Entries that do not parse are passed over.
std::map<std::string, FileStamp> ReadRecord(const std::string& folder)
{
    std::map<std::string, FileStamp> entries;
    PosixFile file = PosixFile::Open(RecordPath(folder), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (!file.isOpen() || !file.isRegular())
        return entries;
    const std::string text = ReadToEnd(file, kLongestRecord + 1);
    if (text.size() > kLongestRecord)
        return entries;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\0');
        if (end == std::string_view::npos)
            break;
        std::string_view entry = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        const std::optional<FileStamp> stamp = ParseStamp(entry);
        if (stamp && entry.size() > 1 && entry.front() == ' ')
            entries[std::string(entry.substr(1))] = *stamp;
    }
    return entries;
}

void RecordAsMade(const std::string& folder, const std::string& name, const FileStamp& stamp)
{
    // Never written through a link, or over anything but a file.
    struct stat info {};
    if (::lstat(RecordPath(folder).c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        throw FileError(EEXIST, RecordPath(folder));
    std::map<std::string, FileStamp> entries = ReadRecord(folder);
    entries[name] = stamp;
    std::string text;
    for (const auto& [recorded, recordedStamp] : entries) {
        // Entries of files deleted or changed since go.
        const std::optional<FileStamp> now = StampOf(folder + recorded);
        if (now && SameStamp(*now, recordedStamp))
            text += StampText(recordedStamp) + " " + recorded + '\0';
    }
    AtomicFile record(RecordPath(folder), SaveOptions{.newFileMode = 0644});
    record.write(text);
    record.commit();
}

} // namespace

bool IsMadeFilesRecordName(std::string_view name)
{
    return name == kMadeFilesRecord;
}

void MarkAsMade(const std::string& path)
{
    errno = 0;
    const std::optional<FileStamp> stamp = StampOf(path);
    if (!stamp)
        throw FileError(errno != 0 ? errno : EINVAL, path);
    const std::string value = StampText(*stamp);
    if (::lsetxattr(path.c_str(), kMadeMarkAttribute, value.data(), value.size(), 0) == 0)
        return;
    RecordAsMade(FolderPart(path), FileNamePart(path), *stamp);
}

MadeFiles::MadeFiles(std::string folder) : folder_(std::move(folder))
{
    if (!folder_.empty() && folder_.back() != '/')
        folder_ += '/';
    recorded_ = ReadRecord(folder_);
}

bool MadeFiles::contains(const std::string& name) const
{
    const std::string path = folder_ + name;
    const std::optional<FileStamp> now = StampOf(path);
    if (!now)
        return false;
    char value[64];
    const ssize_t length = ::lgetxattr(path.c_str(), kMadeMarkAttribute, value, sizeof value);
    if (length > 0) {
        std::string_view text(value, static_cast<std::size_t>(length));
        const std::optional<FileStamp> marked = ParseStamp(text);
        if (marked && text.empty() && SameStamp(*now, *marked))
            return true;
    }
    const auto recorded = recorded_.find(name);
    return recorded != recorded_.end() && SameStamp(*now, recorded->second);
}

} // namespace vexo
