// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/tray_hint.h"

#include "downloader/tray_view.h"

#include <string>

namespace vexo {

std::string TrayHintText(const std::string& caption, std::int32_t downloaded, int waitingRetries,
                         const std::string& downloadLine)
{
    std::string hint = caption + "\nЗа сеанс: " + std::to_string(downloaded);
    if (!downloadLine.empty())
        hint += "\n" + downloadLine;
    if (waitingRetries > 0)
        hint += "\nЖдут повтора: " + std::to_string(waitingRetries);
    return hint;
}

void UpdateTrayHint(const std::string& caption, std::int32_t downloaded, TrayView& tray, int waitingRetries)
{
    tray.showTrayHint(TrayHintText(caption, downloaded, waitingRetries));
}

} // namespace vexo
