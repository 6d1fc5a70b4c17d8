// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/tray_hint_pacer.h"

#include "downloader/tray_view.h"

namespace vexo {

void TrayHintPacer::offer(const std::string& hint, const std::string& shape, TimePoint now, TrayView& tray)
{
    if (sentOnce_) {
        if (hint == sent_)
            return;
        if (shape == sentShape_ && now - sentAt_ < kPeriod)
            return;
    }
    tray.showTrayHint(hint);
    sent_ = hint;
    sentShape_ = shape;
    sentOnce_ = true;
    sentAt_ = now;
}

} // namespace vexo
