// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/join_file.h"

#include "base/atomic_file.h"
#include "base/file_copy.h"

#include <cstring>

namespace vexo {

JoinError::JoinError(const std::string& path, const std::string& reason)
    : std::runtime_error(Text(path) + " - " + reason)
{}

std::string JoinError::Text(const std::string& path)
{
    return "Error!!! file:" + path;
}

JoinError::JoinError(const FileError& error) : JoinError(error.path(), std::strerror(error.error()))
{}

JoinFile::JoinFile(const std::string& path, int flags) : file_(PosixFile::Open(path, flags))
{}

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

void JoinFile::copyTo(AtomicFile& output, std::size_t count, FileCopier& copier)
{
    std::size_t copied = 0;
    try {
        copied = output.copyFrom(file_, count, copier);
    } catch (const FileError& error) {
        // The failure may be the part's or the output's: it names its own.
        throw JoinError(error);
    }
    if (copied != count)
        fail("файл стал короче, чем был при начале копирования");
}

void JoinFile::close()
{
    try {
        file_.close();
    } catch (const FileError& error) {
        fail(error);
    }
}

} // namespace vexo
