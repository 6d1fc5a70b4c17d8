// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/speed_meter.h"

#include <cmath>

namespace vexo {

namespace {

// Past this the time left says nothing useful (over four days).
constexpr double kLongestSecondsLeft = 100.0 * 3600.0;

} // namespace

void SpeedMeter::sample(std::int64_t transferred, TimePoint at)
{
    if (!samples_.empty() && (transferred < samples_.back().transferred || at < samples_.back().at))
        samples_.clear();
    samples_.push_back({at, transferred});
    // The oldest sample kept is the last one at or before the window's
    // start, so the average always spans the whole window once it can.
    while (samples_.size() > 2 && samples_[1].at <= at - kWindow)
        samples_.pop_front();
}

std::optional<double> SpeedMeter::bytesPerSecond() const
{
    if (samples_.size() < 2)
        return std::nullopt;
    const Sample& first = samples_.front();
    const Sample& last = samples_.back();
    const std::chrono::duration<double> span = last.at - first.at;
    if (span < kShortestSpan)
        return std::nullopt;
    return static_cast<double>(last.transferred - first.transferred) / span.count();
}

std::optional<std::int64_t> SecondsLeft(std::int64_t remaining, double bytesPerSecond)
{
    if (remaining <= 0 || bytesPerSecond <= 0)
        return std::nullopt;
    const double seconds = std::ceil(static_cast<double>(remaining) / bytesPerSecond);
    if (seconds > kLongestSecondsLeft)
        return std::nullopt;
    return static_cast<std::int64_t>(seconds);
}

} // namespace vexo
