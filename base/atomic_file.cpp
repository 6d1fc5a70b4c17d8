// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/atomic_file.h"

#include "base/file_copy.h"
#include "base/file_names.h"
#include "base/file_seam.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo {

using detail::Faulted;
using detail::OpenDescriptor;

namespace {

std::atomic<unsigned> gSerial{0};

// A file without a name gets one through its entry in /proc, which a
// sandbox may hide; then only named temporaries are used.
bool UnnamedFilesCanBeNamed()
{
    static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
    return procMounted;
}

// Gives the unnamed file `fd` the name `path`; link(2) never replaces an
// existing name (EEXIST then).
int LinkUnnamed(int fd, const std::string& path)
{
    if (Faulted(&FileFaults::failRename))
        return -1;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
}

// Tries `make` on "<stem><serial>" for each next serial until it works
// (the name then), or until it fails otherwise than on a taken name (an
// empty name, errno set).
template <class Make>
std::string FirstFreeTemporary(const std::string& stem, Make make)
{
    for (;;) {
        std::string candidate = stem + std::to_string(++gSerial);
        if (make(candidate))
            return candidate;
        if (errno != EEXIST)
            return {};
    }
}

// Sets the mode of a file this object made. FAT and exFAT keep no modes of
// their own (their mount decides them) and refuse to be asked: that is no
// failure.
bool ModeSet(int result)
{
    return result == 0 || errno == ENOSYS || errno == EOPNOTSUPP || errno == EPERM;
}

bool RenameTakesNoReplace(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// Renames `from` to `to` unless `to` exists (any kind of file, a dangling
// link too): 0, or -1 with errno set, EEXIST where the name is taken.
int RenameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (Faulted(&FileFaults::failRename))
        return -1;
    const bool refused = Faulted(&FileFaults::refuseNoReplaceRename);
    if (!refused) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (!RenameTakesNoReplace(errno))
            return -1;
    }
    // The file system cannot rename without replacing (FUSE ones, such as
    // those a USB stick is often mounted with) and FAT and exFAT take no
    // hard links. So the name is claimed first by an exclusive create, which
    // fails on any file of that name (on FAT in any case), and the finished
    // file is then renamed over that empty file of our own: nothing of the
    // user's is ever replaced. A crash between the two steps leaves an
    // empty file under the name, never a part of the data.
    const int claim = OpenDescriptor(to, O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (claim < 0)
        return -1;
    ::close(claim);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        errno = error;
        return -1;
    }
    return 0;
}

} // namespace

AtomicFile::AtomicFile(std::string path, SaveOptions options)
    : path_(std::move(path)), target_(detail::ResolveLinks(path_)), options_(std::move(options))
{}

AtomicFile::~AtomicFile()
{
    abandon();
}

void AtomicFile::open()
{
    // After a failure or a commit the object is spent: writing on would
    // put a file with a gap, or a second file, in place.
    if (spent_)
        throw std::logic_error(path_ + ": the file was committed or discarded already");
    if (opened_)
        return;
    if (!options_.unnamed || !openUnnamed(options_.newFileMode))
        openNamed(options_.newFileMode);
    opened_ = true;
    takeMode();
}

void AtomicFile::resumeFrom(std::int64_t bytes)
{
    if (spent_ || opened_ || options_.keptTemporary.empty())
        throw std::logic_error(path_ + ": no kept file to resume");
    const int fd =
        OpenDescriptor(options_.keptTemporary, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK, options_.newFileMode);
    if (fd < 0) {
        spent_ = true;
        throw FileError(errno, path_);
    }
    file_ = PosixFile(fd, path_);
    temporary_ = options_.keptTemporary;
    opened_ = true;
    // Only a regular file of ours is written on; anything else there is
    // left alone.
    if (!file_.isRegular()) {
        file_ = PosixFile();
        temporary_.clear();
        spent_ = true;
        throw FileError(EEXIST, path_);
    }
    try {
        const std::int64_t kept = std::min(bytes, file_.size());
        if (::ftruncate(fd, kept) != 0)
            throw FileError(errno, path_);
        file_.seek(kept);
    } catch (...) {
        abandon();
        throw;
    }
    takeMode();
}

void AtomicFile::takeMode()
{
    // A replaced file keeps its mode; a file put under a free name has the
    // mode of a new file, never that of the file whose name was taken (an
    // executable's execute bit). No one else writes the file yet.
    struct stat created {};
    struct stat existing {};
    const bool replacing = ::stat(target_.c_str(), &existing) == 0;
    if (::fstat(file_.fd(), &created) != 0 || (replacing && !ModeSet(::fchmod(file_.fd(), existing.st_mode & 07777)))) {
        const int error = errno;
        abandon();
        throw FileError(error, path_);
    }
    newMode_ = created.st_mode & 07777;
    modeTaken_ = replacing;
}

bool AtomicFile::openUnnamed(unsigned mode)
{
    if (!UnnamedFilesCanBeNamed() || Faulted(&FileFaults::refuseUnnamedFiles))
        return false;
    // Refused where the file system has no such files; the named temporary
    // then reports what else may be wrong with the folder.
    const int fd = OpenDescriptor(FolderOf(target_), O_RDWR | O_TMPFILE, mode);
    if (fd < 0)
        return false;
    file_ = PosixFile(fd, path_);
    unnamed_ = true;
    return true;
}

void AtomicFile::openNamed(unsigned mode)
{
    int fd = -1;
    temporary_ = FirstFreeTemporary(temporaryStem(), [&](const std::string& name) {
        fd = OpenDescriptor(name, O_WRONLY | O_CREAT | O_EXCL, mode);
        return fd >= 0;
    });
    if (temporary_.empty()) {
        spent_ = true;
        throw FileError(errno, path_);
    }
    // Errors name the target: the temporary is no concern of the user's.
    file_ = PosixFile(fd, path_);
}

std::string AtomicFile::temporaryStem() const
{
    return FolderOf(target_) + "/" + options_.temporaryPrefix + std::to_string(::getpid()) + "-";
}

void AtomicFile::write(const void* data, std::size_t size)
{
    open();
    try {
        file_.writeAll(data, size);
        writeBehind_.wrote(file_, size);
    } catch (...) {
        abandon();
        throw;
    }
}

void AtomicFile::reserve(std::int64_t size)
{
    open();
    file_.reserve(size);
}

std::size_t AtomicFile::copyFrom(PosixFile& source, std::size_t size, FileCopier& copier)
{
    open();
    try {
        const std::size_t copied = copier.copy(source, file_, size);
        writeBehind_.wrote(file_, copied);
        return copied;
    } catch (...) {
        abandon();
        throw;
    }
}

void AtomicFile::finish()
{
    open();
    if (finished_)
        return;
    try {
        file_.sync();
        writeBehind_.stop();
        // A file without a name lives as long as its descriptor.
        if (!unnamed_)
            file_.close();
    } catch (...) {
        abandon();
        throw;
    }
    finished_ = true;
}

bool AtomicFile::sameContentsAs(const std::string& path)
{
    finish();
    PosixFile theirs = PosixFile::Open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (!theirs.isOpen() || !theirs.isRegular())
        return false;
    if (unnamed_)
        return SameContents(file_, theirs);
    PosixFile mine = PosixFile::Open(temporary_, O_RDONLY);
    if (!mine.isOpen())
        throw FileError(errno, path_);
    return SameContents(mine, theirs);
}

void AtomicFile::nameTemporary()
{
    temporary_ = FirstFreeTemporary(temporaryStem(),
                                    [&](const std::string& name) { return LinkUnnamed(file_.fd(), name) == 0; });
    if (temporary_.empty()) {
        const int error = errno;
        abandon();
        throw FileError(error, path_);
    }
    unnamed_ = false;
    try {
        file_.close();
    } catch (...) {
        abandon();
        throw;
    }
}

void AtomicFile::commit()
{
    finish();
    if (unnamed_)
        nameTemporary();
    if (Faulted(&FileFaults::failRename) || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        abandon();
        throw FileError(error, path_);
    }
    temporary_.clear();
    spent_ = true;
    SyncFolder(FolderOf(target_));
}

AtomicFile::Placement AtomicFile::commitIfFree()
{
    Placement placement;
    try {
        placement = commitIfFreeAs(path_);
    } catch (...) {
        abandon();
        throw;
    }
    abandon();
    return placement;
}

AtomicFile::Placement AtomicFile::commitIfFreeAs(const std::string& path)
{
    finish();
    if (modeTaken_) {
        if (!ModeSet(unnamed_ ? ::fchmod(file_.fd(), newMode_) : ::chmod(temporary_.c_str(), newMode_)))
            throw FileError(errno, path);
        modeTaken_ = false;
    }
    const Placement placement = unnamed_ ? placeUnnamed(path) : placeNamed(path);
    if (placement == Placement::Placed)
        SyncFolder(FolderOf(path));
    return placement;
}

AtomicFile::Placement AtomicFile::placeUnnamed(const std::string& path)
{
    if (LinkUnnamed(file_.fd(), path) != 0) {
        if (errno == EEXIST)
            return Placement::NameTaken;
        throw FileError(errno, path);
    }
    unnamed_ = false;
    spent_ = true;
    try {
        file_.close();
    } catch (const FileError& error) {
        // The name was made a moment ago, for this file alone.
        ::unlink(path.c_str());
        abandon();
        throw FileError(error.error(), path);
    }
    return Placement::Placed;
}

AtomicFile::Placement AtomicFile::placeNamed(const std::string& path)
{
    if (RenameWithoutReplacing(temporary_, path) != 0) {
        if (errno == EEXIST)
            return Placement::NameTaken;
        throw FileError(errno, path);
    }
    temporary_.clear();
    spent_ = true;
    return Placement::Placed;
}

void AtomicFile::abandon()
{
    if (options_.keptTemporary.empty() || temporary_ != options_.keptTemporary) {
        discard();
        return;
    }
    writeBehind_.stop();
    file_ = PosixFile();
    temporary_.clear();
    spent_ = true;
}

void AtomicFile::discard()
{
    writeBehind_.stop();
    file_ = PosixFile();
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
    unnamed_ = false;
    spent_ = true;
}

} // namespace vexo
