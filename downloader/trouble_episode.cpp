// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/trouble_episode.h"

#include "downloader/tray_view.h"

namespace vexo {

void TroubleEpisode::failed(const std::string& text)
{
    if (open_ && text == lastError_)
        return;
    lastError_ = text;
    tray_.showTrouble(text);
    if (!open_)
        tray_.announce(text);
    open_ = true;
}

void TroubleEpisode::checkSucceeded(bool filesFailing)
{
    if (!open_ || filesFailing)
        return;
    open_ = false;
    lastError_.clear();
    tray_.clearTrouble();
    tray_.announce(kRecovered);
}

} // namespace vexo
