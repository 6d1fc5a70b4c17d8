// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/atomic_file.h"
#include "base/numbered_name.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vexo {

class PartialDownload;

// The body of a fetch on its way to its file: gathered and written to the
// partial download beside the target, which takes its place at commit()
// under the first name of the "(n)" rule that is free. What it holds stays
// there for a resume when the object goes uncommitted, as long as keep()
// was called; otherwise it is removed. Errors are FileErrors that say the
// file cannot be created.
class BodyFile {
public:
    BodyFile(const std::string& target, const PartialDownload& partial);
    ~BodyFile();
    BodyFile(const BodyFile&) = delete;
    BodyFile& operator=(const BodyFile&) = delete;

    // The body goes on after the first `bytes` bytes the partial holds; 0
    // starts it afresh.
    void start(std::int64_t bytes);
    // What arrived stays for a resume, whatever happens now.
    void keep() { kept_ = true; }
    // The partial and what it holds go.
    void drop();
    // Small receives are gathered in one fixed buffer and written in larger
    // pieces: a system call per small piece would cost more than its
    // transfer. Memory stays the same whatever the file's size.
    void write(const char* data, std::size_t size);
    // A file of that name that holds the same bytes already counts as this
    // one: fetched again (files left on the server are), it makes no copy.
    // Then the record of the partial goes. May run on another thread than
    // the writes, once they are over; when `calledOff` turns true before
    // the file is flushed to the disk, it is not placed and stays as
    // partial (or goes, unless kept).
    void commit(const std::atomic<bool>& calledOff);

private:
    void flush();

    const PartialDownload& partial_;
    AtomicFile file_;
    NumberedName name_;
    char buffer_[64 * 1024];
    std::size_t used_ = 0;
    bool started_ = false;
    bool kept_ = false;
    bool placed_ = false;
};

} // namespace vexo
