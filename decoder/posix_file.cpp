#include "decoder/posix_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vexo {

std::string SystemErrorText(const std::string& path, int error)
{
    return path + ": " + std::strerror(error);
}

PosixFile::~PosixFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

PosixFile::PosixFile(PosixFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_))
{
}

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

PosixFile PosixFile::OpenReadWrite(const std::string& path)
{
    int fd;
    do
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        // Non-blocking only for the open itself; regular files ignore it anyway.
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return PosixFile(fd, path);
}

std::int64_t PosixFile::size() const
{
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        throw std::runtime_error(SystemErrorText(path_, errno));
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
        throw std::runtime_error(SystemErrorText(path_, errno));
}

std::size_t PosixFile::readUpTo(unsigned char* buffer, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd_, buffer + got, size - got);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error(SystemErrorText(path_, errno));
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

void PosixFile::readAt(std::int64_t position, unsigned char* buffer, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd_, buffer + got, size - got, position + static_cast<std::int64_t>(got));
        if (n == 0)
            throw std::runtime_error(path_ + ": the file ended before its last bytes could be read");
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error(SystemErrorText(path_, errno));
        }
        got += static_cast<std::size_t>(n);
    }
}

void PosixFile::writeAll(const unsigned char* buffer, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd_, buffer, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error(SystemErrorText(path_, n < 0 ? errno : ENOSPC));
        buffer += n;
        size -= static_cast<std::size_t>(n);
    }
}

void PosixFile::close()
{
    const int fd = std::exchange(fd_, -1);
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
        throw std::runtime_error(SystemErrorText(path_, errno));
}

} // namespace vexo
