// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/tray_hint_pacer.h"

#include "downloader/tray_view.h"

#include <algorithm>
#include <utility>

namespace vexo {

std::optional<TrayHintPacer::Wait> TrayHintPacer::offer(const std::string& hint, TimePoint now, TrayView& tray)
{
    if (sentOnce_ && hint == sent_) {
        // Back to what the tray shows: nothing to send any more.
        held_.reset();
        return std::nullopt;
    }
    if (!sentOnce_ || now - sentAt_ >= kPeriod) {
        send(hint, now, tray);
        return std::nullopt;
    }
    held_ = hint;
    if (waiting_)
        return std::nullopt;
    waiting_ = true;
    return waitLeft(now);
}

std::optional<TrayHintPacer::Wait> TrayHintPacer::sendHeld(TimePoint now, TrayView& tray)
{
    if (held_ && now - sentAt_ < kPeriod) {
        waiting_ = true;
        return waitLeft(now);
    }
    waiting_ = false;
    if (held_)
        send(*std::exchange(held_, std::nullopt), now, tray);
    return std::nullopt;
}

void TrayHintPacer::send(const std::string& hint, TimePoint now, TrayView& tray)
{
    tray.showTrayHint(hint);
    sent_ = hint;
    sentOnce_ = true;
    sentAt_ = now;
    held_.reset();
}

// Rounded up, and at least a millisecond: a timer of no interval never ticks.
TrayHintPacer::Wait TrayHintPacer::waitLeft(TimePoint now) const
{
    const Wait left = std::chrono::ceil<Wait>(sentAt_ + kPeriod - now);
    return std::max(left, Wait{1});
}

} // namespace vexo
