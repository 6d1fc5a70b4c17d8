// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/file_io.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vexo {

class AtomicFile;
class FileCopier;

// A read or write that failed while one file was being joined; its text is
// the warning box shown for it, naming the file and the reason.
class JoinError : public std::runtime_error {
public:
    JoinError(const std::string& path, const std::string& reason);
    // A failed read or write, naming the file at fault.
    explicit JoinError(const FileError& error);

    // The warning for a file that cannot be joined at all, with no reason
    // given: "Error!!! file:" and its path.
    static std::string Text(const std::string& path);
};

// One open part of a join, with every read checked to the last byte.
class JoinFile {
public:
    // Opens `path` with the open(2) `flags`; whether it worked is isOpen().
    JoinFile(const std::string& path, int flags);
    JoinFile(const JoinFile&) = delete;
    JoinFile& operator=(const JoinFile&) = delete;

    bool isOpen() const { return file_.isOpen(); }
    const std::string& path() const { return file_.path(); }

    std::int64_t size() const;
    // Copies the next `count` bytes of this part to `output` through
    // `copier`. A part that ends early (it shrank since it was sized) is an
    // error, so nothing is ever padded; a failed read or write names the
    // file at fault.
    void copyTo(AtomicFile& output, std::size_t count, FileCopier& copier);
    // close() may be the first to report a failed read, so it is checked.
    void close();

private:
    [[noreturn]] void fail(const std::string& reason) const;
    [[noreturn]] void fail(const FileError& error) const;

    PosixFile file_;
};

} // namespace vexo
