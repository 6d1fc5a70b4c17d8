// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/file_io.h"
#include "base/write_behind.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vexo {

class FileCopier;

// A read or write that failed while one file was being joined; its text is
// the warning box shown for it, naming the file and the reason.
class JoinError : public std::runtime_error {
public:
    JoinError(const std::string& path, const std::string& reason);
    // A failed read or write, naming the file at fault.
    explicit JoinError(const FileError& error);
};

// One open file of a join (a part or the output), with every read and
// write checked to the last byte.
class JoinFile {
public:
    // Opens `path` with the open(2) `flags` (and `mode` for a new file);
    // whether it worked is isOpen().
    JoinFile(std::string path, int flags, unsigned mode = 0666);
    JoinFile(const JoinFile&) = delete;
    JoinFile& operator=(const JoinFile&) = delete;

    // The output, created when missing and otherwise left as it is until
    // truncate(): only a regular file, never through a symbolic link, and
    // never waiting on a FIFO. Not open when it is anything else.
    static JoinFile OpenOutput(const std::string& path);

    bool isOpen() const { return file_.isOpen(); }
    const std::string& path() const { return file_.path(); }

    std::int64_t size() const;
    // Copies the next `count` bytes of `part` to this file through `copier`,
    // both positions advancing. A part that ends early (it shrank since it
    // was sized) is an error, so nothing is ever padded; a failed read or
    // write names the file at fault, and a write that makes no progress is
    // an error.
    void copyFrom(JoinFile& part, std::size_t count, FileCopier& copier);
    // From now on, starts the disk writes of what is copied in as it goes:
    // for an output that is flushed before its parts are deleted.
    void writeBehind() { writingBehind_ = true; }
    // Empties the file.
    void truncate();
    // Puts what was written on the disk, before a step that destroys the
    // only other copy.
    void sync();
    // close() may be the first to report a failed write-back, so it is checked.
    void close();

private:
    explicit JoinFile(PosixFile file) : file_(std::move(file)) {}

    [[noreturn]] void fail(const std::string& reason) const;
    [[noreturn]] void fail(const FileError& error) const;

    PosixFile file_;
    bool writingBehind_ = false;
    WriteBehind writeBehind_;
};

} // namespace vexo
