// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/join_file.h"

#include <cstring>

namespace vexo {

JoinFile::JoinFile(std::string path, int flags, unsigned mode) : file_(PosixFile::Open(path, flags, mode))
{}

void JoinFile::fail(const std::string& reason) const
{
    throw JoinError("Error!!! file:" + path() + " - " + reason);
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

void JoinFile::readExactly(unsigned char* buffer, std::size_t count)
{
    std::size_t got = 0;
    try {
        got = file_.readUpTo(buffer, count);
    } catch (const FileError& error) {
        fail(error);
    }
    if (got != count)
        fail("файл стал короче, чем был при начале копирования");
}

void JoinFile::writeAll(const unsigned char* data, std::size_t count)
{
    try {
        file_.writeAll(data, count);
    } catch (const FileError& error) {
        fail(error);
    }
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
