// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

namespace vexo {

// The speed of one transfer, averaged over the last few seconds so that
// the number shown stays steady. It is fed the bytes this transfer has
// brought so far (not those kept from an earlier one it resumes) at the
// times the progress is shown; while no byte arrives the speed falls, to 0
// once a whole window has passed without one.
class SpeedMeter {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // The average spans at most this much of the latest samples ...
    static constexpr std::chrono::seconds kWindow{5};
    // ... and is known once the samples span this much.
    static constexpr std::chrono::seconds kShortestSpan{1};

    // A new transfer: what was measured before no longer counts.
    void restart() { samples_.clear(); }
    // `transferred` bytes had arrived at `at`. Fewer than the last sample
    // means a new transfer began (the fetch started over or resumed), and
    // the average starts afresh from it.
    void sample(std::int64_t transferred, TimePoint at);

    // Bytes per second, once the samples span kShortestSpan.
    std::optional<double> bytesPerSecond() const;

private:
    struct Sample {
        TimePoint at;
        std::int64_t transferred = 0;
    };
    std::deque<Sample> samples_;
};

// Whole seconds `remaining` bytes take at `bytesPerSecond`, rounded up;
// nothing when the speed is 0 or the wait would be past any use.
std::optional<std::int64_t> SecondsLeft(std::int64_t remaining, double bytesPerSecond);

} // namespace vexo
