// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/framed_bars.h"

#include <QProgressBar>

#include <algorithm>
#include <limits>

namespace vexo {

namespace {

// One frame of a 60 Hz screen.
constexpr int kFrameMs = 16;

} // namespace

FramedBars::FramedBars(QObject* parent) : QObject(parent)
{
    frame_.setSingleShot(true);
    frame_.setInterval(kFrameMs);
    connect(&frame_, &QTimer::timeout, this, [this] {
        for (const auto& [bar, value] : values_)
            show(bar, value);
    });
}

void FramedBars::setPosition(QProgressBar* bar, std::int64_t position)
{
    auto found = values_.find(bar);
    if (found == values_.end())
        found = values_.emplace(bar, Value{0, bar->maximum()}).first;
    found->second.position = position;
    showSoon();
}

void FramedBars::setRange(QProgressBar* bar, std::int64_t position, std::int64_t maximum)
{
    values_[bar] = Value{position, maximum};
    showSoon();
}

void FramedBars::showSoon()
{
    if (!frame_.isActive())
        frame_.start();
}

void FramedBars::show(QProgressBar* bar, const Value& value)
{
    constexpr std::int64_t kLimit = std::numeric_limits<int>::max();
    const std::int64_t maximum = std::max<std::int64_t>(value.maximum, 0);
    const std::int64_t position = std::clamp<std::int64_t>(value.position, 0, maximum);
    const bool scaled = maximum > kLimit;
    const int range = scaled ? 1000000 : static_cast<int>(maximum);
    const int shown = scaled ? static_cast<int>(static_cast<double>(position) / static_cast<double>(maximum) * range)
                             : static_cast<int>(position);
    if (bar->maximum() == range && bar->value() == shown)
        return;
    // Drawn with the rest of the window, not at once as QProgressBar would.
    bar->setUpdatesEnabled(false);
    if (bar->maximum() != range || bar->minimum() != 0)
        bar->setRange(0, range);
    bar->setValue(shown);
    bar->setUpdatesEnabled(true);
}

} // namespace vexo
