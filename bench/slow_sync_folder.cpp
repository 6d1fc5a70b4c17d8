// SPDX-License-Identifier: GPL-3.0-or-later
// A folder whose flushes are slow, as on a USB stick: a FUSE file system
// that passes everything through to a backing folder, but holds every
// fsync and fdatasync (of files and folders) for DELAY_MS first. Runs in
// the foreground until the folder is unmounted.
//   slow_sync_folder BACKING MOUNTPOINT DELAY_MS
#define FUSE_USE_VERSION 35
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <fuse3/fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

int gBacking = -1;
std::chrono::milliseconds gDelay{0};

// FUSE names files from its root ("/", "/a"); the backing folder's calls
// take them relative to it.
const char* Relative(const char* path)
{
    return path[1] == '\0' ? "." : path + 1;
}

int Result(int result)
{
    return result < 0 ? -errno : 0;
}

int GetAttr(const char* path, struct stat* info, fuse_file_info* file)
{
    if (file)
        return Result(::fstat(static_cast<int>(file->fh), info));
    return Result(::fstatat(gBacking, Relative(path), info, AT_SYMLINK_NOFOLLOW));
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags)
{
    const int fd = ::openat(gBacking, Relative(path), O_RDONLY | O_DIRECTORY);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return -error;
    }
    while (const dirent* entry = ::readdir(dir))
        fill(buffer, entry->d_name, nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    ::closedir(dir);
    return 0;
}

int Open(const char* path, fuse_file_info* file)
{
    const int fd = ::openat(gBacking, Relative(path), file->flags & ~O_NOFOLLOW);
    if (fd < 0)
        return -errno;
    file->fh = static_cast<std::uint64_t>(fd);
    return 0;
}

int Create(const char* path, mode_t mode, fuse_file_info* file)
{
    const int fd = ::openat(gBacking, Relative(path), file->flags, mode);
    if (fd < 0)
        return -errno;
    file->fh = static_cast<std::uint64_t>(fd);
    return 0;
}

int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* file)
{
    const ssize_t done = ::pread(static_cast<int>(file->fh), buffer, size, offset);
    return done < 0 ? -errno : static_cast<int>(done);
}

int Write(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* file)
{
    const ssize_t done = ::pwrite(static_cast<int>(file->fh), buffer, size, offset);
    return done < 0 ? -errno : static_cast<int>(done);
}

int Release(const char*, fuse_file_info* file)
{
    ::close(static_cast<int>(file->fh));
    return 0;
}

// The slow part: a flush waits DELAY_MS before it is carried out.
int Sync(const char* path, int dataOnly, fuse_file_info* file)
{
    std::this_thread::sleep_for(gDelay);
    const int fd = file ? static_cast<int>(file->fh) : ::openat(gBacking, Relative(path), O_RDONLY);
    if (fd < 0)
        return -errno;
    const int result = dataOnly ? ::fdatasync(fd) : ::fsync(fd);
    const int error = errno;
    if (!file)
        ::close(fd);
    return result < 0 ? -error : 0;
}

int SyncFolder(const char* path, int dataOnly, fuse_file_info*)
{
    return Sync(path, dataOnly, nullptr);
}

int Truncate(const char* path, off_t size, fuse_file_info* file)
{
    if (file)
        return Result(::ftruncate(static_cast<int>(file->fh), size));
    const int fd = ::openat(gBacking, Relative(path), O_WRONLY);
    if (fd < 0)
        return -errno;
    const int result = Result(::ftruncate(fd, size));
    ::close(fd);
    return result;
}

int Unlink(const char* path)
{
    return Result(::unlinkat(gBacking, Relative(path), 0));
}

int Rename(const char* from, const char* to, unsigned int flags)
{
    return Result(::renameat2(gBacking, Relative(from), gBacking, Relative(to), flags));
}

int Link(const char* from, const char* to)
{
    return Result(::linkat(gBacking, Relative(from), gBacking, Relative(to), 0));
}

int MakeFolder(const char* path, mode_t mode)
{
    return Result(::mkdirat(gBacking, Relative(path), mode));
}

int RemoveFolder(const char* path)
{
    return Result(::unlinkat(gBacking, Relative(path), AT_REMOVEDIR));
}

int ChangeMode(const char* path, mode_t mode, fuse_file_info* file)
{
    if (file)
        return Result(::fchmod(static_cast<int>(file->fh), mode));
    return Result(::fchmodat(gBacking, Relative(path), mode, 0));
}

int SetTimes(const char* path, const timespec times[2], fuse_file_info* file)
{
    if (file)
        return Result(::futimens(static_cast<int>(file->fh), times));
    return Result(::utimensat(gBacking, Relative(path), times, AT_SYMLINK_NOFOLLOW));
}

int StatFs(const char*, struct statvfs* info)
{
    return Result(::fstatvfs(gBacking, info));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: slow_sync_folder BACKING MOUNTPOINT DELAY_MS\n");
        return 2;
    }
    gBacking = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (gBacking < 0) {
        std::perror(argv[1]);
        return 1;
    }
    gDelay = std::chrono::milliseconds(std::atol(argv[3]));
    fuse_operations operations{};
    operations.getattr = GetAttr;
    operations.readdir = ReadDir;
    operations.open = Open;
    operations.create = Create;
    operations.read = Read;
    operations.write = Write;
    operations.release = Release;
    operations.fsync = Sync;
    operations.fsyncdir = SyncFolder;
    operations.truncate = Truncate;
    operations.unlink = Unlink;
    operations.rename = Rename;
    operations.link = Link;
    operations.mkdir = MakeFolder;
    operations.rmdir = RemoveFolder;
    operations.chmod = ChangeMode;
    operations.utimens = SetTimes;
    operations.statfs = StatFs;
    char* arguments[] = {
        argv[0], const_cast<char*>("-f"), const_cast<char*>("-o"), const_cast<char*>("default_permissions"), argv[2],
        nullptr};
    return fuse_main(5, arguments, &operations, nullptr);
}
