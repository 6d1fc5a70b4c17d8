// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_timer.h"

#include <algorithm>
#include <limits>

namespace vexo {

WindowTimer::WindowTimer(std::uint32_t interval, bool active, QObject* parent)
    : QObject(parent), interval_(interval), active_(active)
{
    connect(&timer_, &QTimer::timeout, this, &WindowTimer::tick);
    apply();
}

void WindowTimer::setActive(bool active)
{
    if (active == active_)
        return;
    active_ = active;
    apply();
}

void WindowTimer::setInterval(std::uint32_t milliseconds)
{
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    apply();
}

void WindowTimer::apply()
{
    timer_.stop();
    if (!active_ || interval_ == 0)
        return;
    // QTimer takes a signed interval; longer periods run at its longest.
    const auto limit = static_cast<std::uint32_t>(std::numeric_limits<int>::max());
    timer_.start(static_cast<int>(std::min(interval_, limit)));
}

} // namespace vexo
