// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/join_file.h"

#include "base/file_copy.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace vexo {

JoinError::JoinError(const std::string& path, const std::string& reason)
    : std::runtime_error("Error!!! file:" + path + " - " + reason)
{}

JoinError::JoinError(const FileError& error) : JoinError(error.path(), std::strerror(error.error()))
{}

JoinFile::JoinFile(std::string path, int flags, unsigned mode) : file_(PosixFile::Open(path, flags, mode))
{}

JoinFile JoinFile::OpenOutput(const std::string& path)
{
    PosixFile file = PosixFile::Open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK);
    if (!file.isOpen() || !file.isRegular())
        return JoinFile(PosixFile());
    // Non-blocking only for the open itself.
    ::fcntl(file.fd(), F_SETFL, ::fcntl(file.fd(), F_GETFL) & ~O_NONBLOCK);
    return JoinFile(std::move(file));
}

void JoinFile::fail(const std::string& reason) const
{
    throw JoinError(path(), reason);
}

void JoinFile::fail(const FileError& error) const
{
    fail(std::strerror(error.error()));
}

std::int64_t JoinFile::size() const
{
    try {
        return file_.size();
    } catch (const FileError& error) {
        fail(error);
    }
}

void JoinFile::copyFrom(JoinFile& part, std::size_t count, FileCopier& copier)
{
    std::size_t copied = 0;
    try {
        copied = copier.copy(part.file_, file_, count);
    } catch (const FileError& error) {
        // The failure may be the part's or this file's: it names its own.
        throw JoinError(error);
    }
    if (writingBehind_)
        writeBehind_.wrote(file_, copied);
    if (copied != count)
        part.fail("файл стал короче, чем был при начале копирования");
}

void JoinFile::truncate()
{
    // An empty file is left alone: truncating it would make the file system
    // flush the whole output when it closes, as for a replaced file.
    if (size() > 0 && ::ftruncate(file_.fd(), 0) != 0)
        fail(std::strerror(errno));
}

void JoinFile::sync()
{
    try {
        file_.sync();
    } catch (const FileError& error) {
        fail(error);
    }
}

void JoinFile::close()
{
    writeBehind_.stop();
    try {
        file_.close();
    } catch (const FileError& error) {
        fail(error);
    }
}

} // namespace vexo
