// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <chrono>

namespace vexo::test {

// When a wait pumped: the longest stretch without a pump, counted from the
// wait's start to its end, and the number of pumps.
class PumpGaps {
public:
    using Clock = std::chrono::steady_clock;

    void start()
    {
        last_ = Clock::now();
        longest_ = {};
        count_ = 0;
    }
    void pumped()
    {
        ended();
        ++count_;
    }
    void ended()
    {
        const Clock::time_point now = Clock::now();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }

    Clock::duration longest() const { return longest_; }
    int count() const { return count_; }

private:
    Clock::time_point last_ = Clock::now();
    Clock::duration longest_{};
    int count_ = 0;
};

} // namespace vexo::test
