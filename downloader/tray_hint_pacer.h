// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace vexo {

class TrayView;

// Hands the tray hint to the tray only when it changed, and never twice
// within kPeriod: a tray on the session bus asks for the whole tip at each
// change, and a running download changes its figures at every progress
// tick. A hint offered too soon is held back (a later one takes its place)
// and goes out once the period is over, through the caller's timer, so the
// last hint offered always reaches the tray, even when no offer follows.
class TrayHintPacer {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Wait = std::chrono::milliseconds;
    static constexpr std::chrono::seconds kPeriod{1};

    // Offers the hint as it reads now. Returns the wait after which the
    // caller's timer is to call sendHeld, when this offer is held back and
    // no such wait runs yet.
    std::optional<Wait> offer(const std::string& hint, TimePoint now, TrayView& tray);
    // The wait is over: the hint held back goes out. A timer that came
    // early gets the rest of the period as a new wait; none means the timer
    // may stop.
    std::optional<Wait> sendHeld(TimePoint now, TrayView& tray);

private:
    void send(const std::string& hint, TimePoint now, TrayView& tray);
    Wait waitLeft(TimePoint now) const;

    std::string sent_;
    bool sentOnce_ = false;
    TimePoint sentAt_{};
    std::optional<std::string> held_;
    bool waiting_ = false;
};

} // namespace vexo
