// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/pump_pacer.h"

namespace vexo {

void PumpPacer::pumpIfDue()
{
    if (!due())
        return;
    last_ = std::chrono::steady_clock::now();
    pump_();
}

bool PumpPacer::due() const
{
    return pump_ && std::chrono::steady_clock::now() - last_ >= kShortestPumpGap;
}

} // namespace vexo
