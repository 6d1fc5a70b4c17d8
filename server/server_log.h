// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace vexo::server {

// The local time as each log line starts with it, to the millisecond:
// "2026-12-08 21:03:04.123".
std::string LogTimeStamp(std::chrono::system_clock::time_point when);

// One line per event, written whole with its time stamp and flushed, from
// any thread.
class ServerLog {
public:
    explicit ServerLog(std::ostream& out) : out_(out) {}

    void line(std::string_view text)
    {
        const std::string stamp = LogTimeStamp(std::chrono::system_clock::now());
        std::lock_guard lock(mutex_);
        out_ << stamp << ' ' << text << '\n';
        out_.flush();
    }

private:
    std::mutex mutex_;
    std::ostream& out_;
};

} // namespace vexo::server
