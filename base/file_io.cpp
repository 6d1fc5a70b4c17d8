// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"

#include "base/file_copy.h"
#include "base/file_names.h"
#include "base/file_seam.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vexo {

using detail::CloseChecked;
using detail::Faulted;
using detail::OpenDescriptor;
using detail::SyncDescriptor;

namespace {

// ---- The fault seam -------------------------------------------------------

// Without installed faults each call pays one load and one branch.
std::atomic<bool> gFaultsInstalled{false};
std::mutex gFaultsMutex;
FileFaults gFaults;
std::size_t gBytesRead = 0;
std::size_t gBytesWritten = 0;

bool FaultsInstalled()
{
    return gFaultsInstalled.load(std::memory_order_relaxed);
}

// One read or write call, `call(size)`, held to the installed byte limit.
template <class Call>
ssize_t CountedTransfer(const std::optional<std::size_t> FileFaults::*limitField, std::size_t& moved, std::size_t size,
                        Call call)
{
    std::lock_guard lock(gFaultsMutex);
    const std::optional<std::size_t>& limit = gFaults.*limitField;
    if (limit) {
        if (moved >= *limit) {
            errno = gFaults.error;
            return -1;
        }
        size = std::min(size, *limit - moved);
    }
    const ssize_t done = call(size);
    if (done > 0)
        moved += static_cast<std::size_t>(done);
    return done;
}

// ---- Single system calls, as the seam lets them through -------------------

ssize_t ReadOnce(int fd, void* buffer, std::size_t size)
{
    if (!FaultsInstalled()) [[likely]]
        return ::read(fd, buffer, size);
    return CountedTransfer(&FileFaults::failReadAfter, gBytesRead, size,
                           [&](std::size_t allowed) { return ::read(fd, buffer, allowed); });
}

ssize_t PreadOnce(int fd, void* buffer, std::size_t size, std::int64_t position)
{
    if (!FaultsInstalled()) [[likely]]
        return ::pread(fd, buffer, size, position);
    return CountedTransfer(&FileFaults::failReadAfter, gBytesRead, size,
                           [&](std::size_t allowed) { return ::pread(fd, buffer, allowed, position); });
}

ssize_t WriteOnce(int fd, const void* data, std::size_t size)
{
    if (!FaultsInstalled()) [[likely]]
        return ::write(fd, data, size);
    return CountedTransfer(&FileFaults::failWriteAfter, gBytesWritten, size,
                           [&](std::size_t allowed) { return ::write(fd, data, allowed); });
}

// One copy_file_range call from file offset to file offset. Under faults
// it moves bytes both read and written, so it is held to both limits.
ssize_t CopyOnce(int from, int to, std::size_t size)
{
    if (!FaultsInstalled()) [[likely]]
        return ::copy_file_range(from, nullptr, to, nullptr, size, 0);
    std::lock_guard lock(gFaultsMutex);
    if (gFaults.refuseKernelCopy != 0) {
        errno = gFaults.refuseKernelCopy;
        return -1;
    }
    for (const auto& [limit, moved] :
         {std::pair{gFaults.failReadAfter, gBytesRead}, std::pair{gFaults.failWriteAfter, gBytesWritten}}) {
        if (!limit)
            continue;
        if (moved >= *limit) {
            errno = gFaults.error;
            return -1;
        }
        size = std::min(size, *limit - moved);
    }
    const ssize_t done = ::copy_file_range(from, nullptr, to, nullptr, size, 0);
    if (done > 0) {
        gBytesRead += static_cast<std::size_t>(done);
        gBytesWritten += static_cast<std::size_t>(done);
    }
    return done;
}

// Opens without waiting for a FIFO's other end, then reads and writes block
// as usual (regular files ignore the flag anyway).
PosixFile OpenWithoutWaiting(const std::string& path, int flags)
{
    const int fd = OpenDescriptor(path, flags | O_NONBLOCK, 0);
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return PosixFile(fd, path);
}

} // namespace

// ---- What the other file modules of this floor share ----------------------

namespace detail {

bool Faulted(bool FileFaults::*field)
{
    if (!FaultsInstalled()) [[likely]]
        return false;
    std::lock_guard lock(gFaultsMutex);
    if (!(gFaults.*field))
        return false;
    errno = gFaults.error;
    return true;
}

// Linux closes the descriptor even when close() is interrupted, so EINTR
// is no failure (and a retry could close another thread's new file).
int CloseChecked(int fd)
{
    const int result = ::close(fd);
    if (Faulted(&FileFaults::failClose))
        return -1;
    return result != 0 && errno == EINTR ? 0 : result;
}

int SyncDescriptor(int fd, bool dataOnly)
{
    if (Faulted(&FileFaults::failSync))
        return -1;
    if (FaultsInstalled()) {
        std::function<void()> duringSync;
        {
            std::lock_guard lock(gFaultsMutex);
            duringSync = gFaults.duringSync;
        }
        if (duringSync)
            duringSync();
    }
    int result;
    do
        result = dataOnly ? ::fdatasync(fd) : ::fsync(fd);
    while (result != 0 && errno == EINTR);
    return result;
}

int OpenDescriptor(const std::string& path, int flags, unsigned mode)
{
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    while (fd < 0 && errno == EINTR);
    return fd;
}

std::string ResolveLinks(const std::string& path)
{
    // Followed one link at a time, so that a link to a file not made yet
    // still leads to that file's name.
    constexpr int kMostLinks = 40; // as the kernel's own limit
    std::string current = path;
    for (int i = 0; i < kMostLinks; ++i) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size())
            return path;
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    return path;
}

} // namespace detail

namespace {

void SyncPath(const std::string& path, int flags, bool dataOnly)
{
    PosixFile file = PosixFile::Open(path, flags);
    if (!file.isOpen())
        throw FileError(errno, path);
    if (SyncDescriptor(file.fd(), dataOnly) != 0)
        throw FileError(errno, path);
    file.close();
}

} // namespace

// ---- FileError ------------------------------------------------------------

std::string SystemErrorText(const std::string& path, int error)
{
    return path + ": " + std::strerror(error);
}

FileError::FileError(int error, const std::string& path) : FileError(error, path, SystemErrorText(path, error))
{}

FileError::FileError(int error, std::string path, const std::string& text)
    : std::runtime_error(text), error_(error), path_(std::move(path))
{}

// ---- PosixFile ------------------------------------------------------------

PosixFile::PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path))
{}

PosixFile::~PosixFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

PosixFile::PosixFile(PosixFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_))
{}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

PosixFile PosixFile::Open(const std::string& path, int flags, unsigned mode)
{
    return PosixFile(OpenDescriptor(path, flags, mode), path);
}

PosixFile PosixFile::OpenReadWrite(const std::string& path)
{
    return OpenWithoutWaiting(path, O_RDWR);
}

PosixFile PosixFile::OpenReadOnly(const std::string& path)
{
    return OpenWithoutWaiting(path, O_RDONLY);
}

PosixFile PosixFile::CreateNew(const std::string& path, unsigned mode)
{
    return Open(path, O_RDWR | O_CREAT | O_EXCL, mode);
}

std::int64_t PosixFile::size() const
{
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        throw FileError(errno, path_);
    return info.st_size;
}

bool PosixFile::isRegular() const
{
    struct stat info {};
    return ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
}

void PosixFile::seek(std::int64_t position)
{
    if (::lseek(fd_, position, SEEK_SET) < 0)
        throw FileError(errno, path_);
}

std::size_t PosixFile::readUpTo(void* buffer, std::size_t size)
{
    return readLoop(std::nullopt, buffer, size);
}

std::size_t PosixFile::readUpToAt(std::int64_t position, void* buffer, std::size_t size)
{
    return readLoop(position, buffer, size);
}

std::size_t PosixFile::readLoop(std::optional<std::int64_t> position, void* buffer, std::size_t size)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = position ? PreadOnce(fd_, bytes + got, size - got, *position + static_cast<std::int64_t>(got))
                                   : ReadOnce(fd_, bytes + got, size - got);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw FileError(errno, path_);
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

namespace {

[[noreturn]] void ThrowEndedEarly(const std::string& path)
{
    throw FileError(0, path, path + ": the file ended before its last bytes could be read");
}

} // namespace

void PosixFile::readExactly(void* buffer, std::size_t size)
{
    if (readUpTo(buffer, size) != size)
        ThrowEndedEarly(path_);
}

void PosixFile::readAt(std::int64_t position, void* buffer, std::size_t size)
{
    if (readUpToAt(position, buffer, size) != size)
        ThrowEndedEarly(path_);
}

void PosixFile::writeAll(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = WriteOnce(fd_, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw FileError(n < 0 ? errno : ENOSPC, path_);
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

std::optional<std::size_t> PosixFile::copyInKernelFrom(PosixFile& source, std::size_t size)
{
    ssize_t n;
    do
        n = CopyOnce(source.fd_, fd_, size);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return std::nullopt;
    return static_cast<std::size_t>(n);
}

void PosixFile::reserve(std::int64_t size)
{
    // A reservation that fails half way holds the blocks it took until the
    // file goes, and could fill the disk for everyone meanwhile: it is only
    // tried where the free space holds it, with room to spare for the file
    // system's own records.
    constexpr std::uint64_t kSpare = std::uint64_t{16} << 20;
    struct statfs disk {};
    if (size <= 0 || ::fstatfs(fd_, &disk) != 0)
        return;
    const std::uint64_t room = static_cast<std::uint64_t>(disk.f_bavail) * static_cast<std::uint64_t>(disk.f_bsize);
    if (room < kSpare || static_cast<std::uint64_t>(size) > room - kSpare)
        return;
    // Where the file system cannot reserve, the writes allocate as they go.
    [[maybe_unused]] const int reserved = ::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, size);
}

void PosixFile::startWriteBack()
{
    // A length of 0 reaches to the end of the file; pages already on their
    // way to the disk are not waited for.
    ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

void PosixFile::sync()
{
    if (SyncDescriptor(fd_, true) != 0)
        throw FileError(errno, path_);
}

void PosixFile::close()
{
    const int fd = std::exchange(fd_, -1);
    if (fd >= 0 && CloseChecked(fd) != 0)
        throw FileError(errno, path_);
}

// ---- Syncing --------------------------------------------------------------

void SyncFile(const std::string& path)
{
    SyncPath(path, O_RDONLY, true);
}

void SyncFolder(const std::string& path)
{
    SyncPath(path, O_RDONLY | O_DIRECTORY, false);
}

std::optional<std::uint64_t> FreeSpace(const std::string& folder)
{
    if (FaultsInstalled()) {
        std::lock_guard lock(gFaultsMutex);
        if (gFaults.freeBytes)
            return gFaults.freeBytes;
    }
    // Some FUSE file systems (FAT32's) tell no size at all.
    struct statvfs disk {};
    if (::statvfs(folder.c_str(), &disk) != 0 || disk.f_blocks == 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(disk.f_bavail) * static_cast<std::uint64_t>(disk.f_frsize);
}

std::string ReadToEnd(PosixFile& file, std::size_t limit)
{
    std::string text;
    char buffer[8192];
    std::size_t got;
    do {
        got = file.readUpTo(buffer, sizeof buffer);
        text.append(buffer, got);
    } while (got == sizeof buffer && text.size() < limit); // a short count is the end of the file
    return text;
}

bool SameContents(PosixFile& a, PosixFile& b)
{
    const std::int64_t size = a.size();
    if (b.size() != size)
        return false;
    constexpr std::size_t kPiece = 1 << 20;
    const auto mine = std::make_unique_for_overwrite<unsigned char[]>(kPiece);
    const auto theirs = std::make_unique_for_overwrite<unsigned char[]>(kPiece);
    for (std::int64_t at = 0; at < size;) {
        const auto piece = static_cast<std::size_t>(std::min<std::int64_t>(size - at, kPiece));
        a.readAt(at, mine.get(), piece);
        b.readAt(at, theirs.get(), piece);
        if (std::memcmp(mine.get(), theirs.get(), piece) != 0)
            return false;
        at += static_cast<std::int64_t>(piece);
    }
    return true;
}

// ---- ScopedFileFaults -----------------------------------------------------

ScopedFileFaults::ScopedFileFaults(const FileFaults& faults)
{
    std::lock_guard lock(gFaultsMutex);
    if (gFaultsInstalled.load())
        throw std::logic_error("file faults are installed already");
    gFaults = faults;
    gBytesRead = 0;
    gBytesWritten = 0;
    gFaultsInstalled.store(true);
}

ScopedFileFaults::~ScopedFileFaults()
{
    std::lock_guard lock(gFaultsMutex);
    gFaultsInstalled.store(false);
    gFaults = FileFaults{};
}

} // namespace vexo
