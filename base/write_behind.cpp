// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/write_behind.h"

#include "base/file_io.h"
#include "base/quiet_thread.h"

namespace vexo {

WriteBehind::~WriteBehind()
{
    stop();
}

void WriteBehind::wrote(PosixFile& file, std::size_t bytes)
{
    pending_ += bytes;
    if (pending_ < kStep)
        return;
    pending_ = 0;
    if (!thread_.joinable()) {
        file_ = &file;
        thread_ = StartQuietThread([this] { run(); });
    }
    if (!thread_.joinable()) {
        // No thread to be had: the start is made here.
        file.startWriteBack();
        return;
    }
    std::lock_guard lock(mutex_);
    requested_ = true;
    wake_.notify_one();
}

void WriteBehind::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return requested_ || stopping_; });
        if (stopping_)
            return;
        requested_ = false;
        lock.unlock();
        file_->startWriteBack();
        lock.lock();
    }
}

void WriteBehind::stop()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        wake_.notify_one();
    }
    thread_.join();
    stopping_ = false;
    requested_ = false;
}

} // namespace vexo
