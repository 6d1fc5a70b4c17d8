// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/retry_schedule.h"

#include <algorithm>

namespace vexo {

void RetrySchedule::recordFailure(const std::string& key, Clock::time_point now)
{
    Entry& entry = entries_[key];
    entry.failures = std::min(entry.failures + 1, 64);
    // Doubling stops at the longest pause, long before the shift overflows.
    std::chrono::minutes pause = kFirstPause;
    for (int i = 1; i < entry.failures && pause < kLongestPause; ++i)
        pause *= 2;
    entry.nextTry = now + std::min(pause, kLongestPause);
}

void RetrySchedule::forget(const std::string& key)
{
    entries_.erase(key);
}

void RetrySchedule::allowAll(Clock::time_point now)
{
    for (auto& [key, entry] : entries_)
        entry.nextTry = std::min(entry.nextTry, now);
}

bool RetrySchedule::waits(const std::string& key, Clock::time_point now) const
{
    const auto found = entries_.find(key);
    return found != entries_.end() && now < found->second.nextTry;
}

bool RetrySchedule::failedBefore(const std::string& key) const
{
    return entries_.contains(key);
}

int RetrySchedule::waitingCount() const
{
    return static_cast<int>(entries_.size());
}

} // namespace vexo
