#include "joiner/join_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo {

JoinFile::JoinFile(std::string path, int flags, unsigned mode)
    : path_(std::move(path)), fd_(::open(path_.c_str(), flags | O_CLOEXEC, mode))
{
}

JoinFile::~JoinFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void JoinFile::fail(const std::string& reason) const
{
    throw JoinError("Error!!! file:" + path_ + " - " + reason);
}

std::int64_t JoinFile::size() const
{
    struct stat status {};
    if (::fstat(fd_, &status) != 0)
        fail(std::strerror(errno));
    return status.st_size;
}

void JoinFile::readExactly(unsigned char* buffer, std::size_t count)
{
    while (count > 0) {
        const ssize_t got = ::read(fd_, buffer, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail(std::strerror(errno));
        if (got == 0)
            fail("файл стал короче, чем был при начале копирования");
        buffer += got;
        count -= static_cast<std::size_t>(got);
    }
}

void JoinFile::writeAll(const unsigned char* data, std::size_t count)
{
    while (count > 0) {
        const ssize_t written = ::write(fd_, data, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail(std::strerror(written < 0 ? errno : ENOSPC));
        data += written;
        count -= static_cast<std::size_t>(written);
    }
}

void JoinFile::close()
{
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail(std::strerror(errno));
}

} // namespace vexo
