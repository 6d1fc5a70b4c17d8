// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <utility>

namespace vexo {

// The network waits never block the window for long: they wait in slices
// of at most kWaitSlice and offer the pump between them.
inline constexpr std::chrono::milliseconds kWaitSlice{20};

// Paces the pump of a wait or a transfer: it runs at the first chance, so
// the window shows at once what the work started with, then at most once
// per kShortestPumpGap, so a busy transfer does not spend its time on the
// window, while a quiet wait pumps after every slice. An empty pump does
// nothing. Whatever the pump throws (StopRequest when the window closes)
// passes through.
class PumpPacer {
public:
    static constexpr std::chrono::milliseconds kShortestPumpGap{10};

    explicit PumpPacer(std::function<void()> pump) : pump_(std::move(pump)) {}

    // Pumps the first time, then when the last pump is at least
    // kShortestPumpGap ago.
    void pumpIfDue();
    // Whether pumpIfDue() would pump now.
    bool due() const;

private:
    std::function<void()> pump_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now() - kShortestPumpGap;
};

} // namespace vexo
