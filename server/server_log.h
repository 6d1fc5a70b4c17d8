// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>
#include <ostream>
#include <string_view>

namespace vexo::server {

// One line per event, written whole and flushed, from any thread.
class ServerLog {
public:
    explicit ServerLog(std::ostream& out) : out_(out) {}

    void line(std::string_view text)
    {
        std::lock_guard lock(mutex_);
        out_ << text << '\n';
        out_.flush();
    }

private:
    std::mutex mutex_;
    std::ostream& out_;
};

} // namespace vexo::server
