// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/pump_pacer.h"

namespace vexo {

void PumpPacer::pumpIfDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (!pump_ || now - last_ < kShortestPumpGap)
        return;
    last_ = now;
    pump_();
}

} // namespace vexo
