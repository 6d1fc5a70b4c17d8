// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>

namespace vexo {

class TrayView;

// Hands the tray hint to the tray only when it changed. A running download
// changes its figures at every progress tick, and a tray on the session bus
// asks for the whole tip at each change: a change of those figures alone
// goes out at most once per kPeriod (the next offer after it takes it),
// while any other change (a file arrived, a download began or ended) goes
// out at once.
class TrayHintPacer {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::seconds kPeriod{1};

    // Offers the hint as it reads now; `shape` is the hint without the
    // figures that change while a download runs.
    void offer(const std::string& hint, const std::string& shape, TimePoint now, TrayView& tray);

private:
    std::string sent_;
    std::string sentShape_;
    bool sentOnce_ = false;
    TimePoint sentAt_{};
};

} // namespace vexo
