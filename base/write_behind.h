// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace vexo {

class PosixFile;

// For a file that is flushed once complete: every few megabytes written,
// starts the disk writes of what was written, on a thread of its own, so
// that the disk and the second processor work beside the writing and the
// final flush has little left to do. Only a head start: the flush alone
// makes the file durable. The thread does nothing but ask the kernel to
// start writing, and takes no signals, so that they still interrupt the
// program's own waits.
class WriteBehind {
public:
    // Bytes written between two starts.
    static constexpr std::size_t kStep = std::size_t{16} << 20;

    WriteBehind() = default;
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // `bytes` more were written to `file`, always the same file.
    void wrote(PosixFile& file, std::size_t bytes);
    // Waits for a start under way and ends the thread: before the file
    // closes.
    void stop();

private:
    void run();

    std::size_t pending_ = 0;
    PosixFile* file_ = nullptr;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool requested_ = false;
    bool stopping_ = false;
};

} // namespace vexo
