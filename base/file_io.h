// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// Every read, write, close, rename and sync of a file the program keeps
// goes through here: checked to the last byte, safe against interrupting
// signals, and open to the faults that tests install.

namespace vexo {

class FileCopier;

// A file operation that failed. what() is the text for the user; error()
// is the system's error number, 0 when the failure is not the system's (a
// file that ended early).
class FileError : public std::runtime_error {
public:
    // The text is "<path>: <reason for error>".
    FileError(int error, const std::string& path);
    FileError(int error, std::string path, const std::string& text);

    int error() const noexcept { return error_; }
    const std::string& path() const noexcept { return path_; }

private:
    int error_;
    std::string path_;
};

// "<path>: <reason for error>"
std::string SystemErrorText(const std::string& path, int error);

// An open file descriptor with the path it was opened by, closed when the
// object goes. Reads and writes go on after short counts and interrupting
// signals; failures throw FileError naming path().
class PosixFile {
public:
    PosixFile() = default;
    // Takes ownership of fd; `path` names the file in error texts.
    PosixFile(int fd, std::string path);
    ~PosixFile();
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    // The opens return a closed file (and leave errno) when they fail.
    // open(2) with `flags` (close-on-exec added) and `mode` for a new file.
    static PosixFile Open(const std::string& path, int flags, unsigned mode = 0666);
    // Read and write access ("the file may be changed"), sharing both:
    // a file without write permission fails here. Never blocks on a FIFO.
    static PosixFile OpenReadWrite(const std::string& path);
    // Read access only. Never blocks on a FIFO.
    static PosixFile OpenReadOnly(const std::string& path);
    // A new file for reading and writing; an existing name (a dangling
    // link included) fails with EEXIST.
    static PosixFile CreateNew(const std::string& path, unsigned mode);

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

    std::int64_t size() const;
    bool isRegular() const;
    void seek(std::int64_t position);

    // Reads until `size` bytes are in or the file ends; returns the count.
    std::size_t readUpTo(void* buffer, std::size_t size);
    // Reads exactly `size` bytes, or throws (an early end included).
    void readExactly(void* buffer, std::size_t size);
    // As readUpTo and readExactly, at `position`; the file offset stays.
    std::size_t readUpToAt(std::int64_t position, void* buffer, std::size_t size);
    void readAt(std::int64_t position, void* buffer, std::size_t size);
    // Writes all `size` bytes, or throws; a write that makes no progress
    // counts as a full disk (ENOSPC).
    void writeAll(const void* data, std::size_t size);
    void writeAll(std::string_view text) { writeAll(text.data(), text.size()); }
    // Moves up to `size` bytes from the file offset of `source` to this
    // file's inside the kernel (copy_file_range), both offsets advancing:
    // the count moved, 0 where the source ends (or where the file system
    // copies nothing), or nothing, errno set, when the kernel would not or
    // could not copy. The caller then reads and writes instead, which also
    // tells which of the two files is at fault.
    std::optional<std::size_t> copyInKernelFrom(PosixFile& source, std::size_t size);
    // Reserves the disk space of the first `size` bytes, the file's size
    // left as it is, so that the writes find their blocks ready. A hint
    // only: nothing fails here, and a disk without that much room free
    // is left alone, the writes then reporting a full disk as ever.
    void reserve(std::int64_t size);
    // Starts writing the file's dirty pages to the disk without waiting for
    // them, so that a later sync() has less left to do. A hint only: it
    // promises nothing, and what fails here the sync() reports.
    void startWriteBack();
    // Flushes the file's data to the disk (fdatasync).
    void sync();
    // Closes, reporting a failed write-back.
    void close();

private:
    // At `position`, or at the file offset without one.
    std::size_t readLoop(std::optional<std::int64_t> position, void* buffer, std::size_t size);

    int fd_ = -1;
    std::string path_;
};

// Flush a finished file, and the folder that names it, to the disk; call
// them before a step that destroys the only other copy.
void SyncFile(const std::string& path);
void SyncFolder(const std::string& path);

// The bytes the file system of `folder` still has for this user; nothing
// when it cannot be asked.
std::optional<std::uint64_t> FreeSpace(const std::string& folder);

// Whether two open regular files hold exactly the same bytes.
bool SameContents(PosixFile& a, PosixFile& b);

// The rest of an open file, from where it stands to its end; reading stops
// early once `limit` bytes or more are in. Throws FileError.
std::string ReadToEnd(PosixFile& file, std::size_t limit = std::numeric_limits<std::size_t>::max());

// Faults for tests, process-wide while a ScopedFileFaults lives. Reads and
// writes count their bytes: once `failRead/WriteAfter` bytes have moved
// (a call that would pass the count moves only the rest), every further
// call fails with `error`; a copy in the kernel counts as both. close()
// closes and then fails; rename (and every other placing of a finished
// file under its name) and the syncs fail without acting. With
// `refuseKernelCopy` set, every copy in the kernel fails with that error
// number without acting, as across file systems (EXDEV) or for files the
// kernel cannot copy (EINVAL). The refusals of removable media's file
// systems: `refuseUnnamedFiles` as FAT's of files without a name
// (O_TMPFILE), `refuseNoReplaceRename` as FUSE's of a rename that must not
// replace (RENAME_NOREPLACE). `freeBytes` is what FreeSpace() reports.
// `duringSync` runs at the start of every flush to the disk, in the thread
// that flushes, and may hold it there as a slow disk would.
struct FileFaults {
    std::optional<std::size_t> failReadAfter = std::nullopt;
    std::optional<std::size_t> failWriteAfter = std::nullopt;
    bool failClose = false;
    bool failRename = false;
    bool failSync = false;
    int refuseKernelCopy = 0;
    bool refuseUnnamedFiles = false;
    bool refuseNoReplaceRename = false;
    std::optional<std::uint64_t> freeBytes = std::nullopt;
    std::function<void()> duringSync = nullptr;
    int error = EIO;
};

// Installs faults until it goes. One at a time: a second throws
// std::logic_error.
class ScopedFileFaults {
public:
    explicit ScopedFileFaults(const FileFaults& faults);
    ~ScopedFileFaults();
    ScopedFileFaults(const ScopedFileFaults&) = delete;
    ScopedFileFaults& operator=(const ScopedFileFaults&) = delete;
};

} // namespace vexo
