// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <map>
#include <string>

namespace vexo {

// When each file whose download failed may be tried again. The pause after
// a file's first failure is a minute and doubles with every further one, up
// to an hour; a whole arrival forgets the file.
class RetrySchedule {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::minutes kFirstPause{1};
    static constexpr std::chrono::minutes kLongestPause{60};

    // Notes a failure at `now`.
    void recordFailure(const std::string& key, Clock::time_point now);
    // The file arrived whole: it is no longer waiting.
    void forget(const std::string& key);
    // Every waiting file may be tried at once; the pauses keep growing.
    void allowAll(Clock::time_point now);

    // The file failed and its pause is not over yet.
    bool waits(const std::string& key, Clock::time_point now) const;
    // The file failed before in this run.
    bool failedBefore(const std::string& key) const;
    // How many files wait for another try.
    int waitingCount() const;

private:
    struct Entry {
        int failures = 0;
        Clock::time_point nextTry;
    };
    std::map<std::string, Entry> entries_;
};

} // namespace vexo
