// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/tray_hint.h"

#include "downloader/tray_view.h"

#include <string>

namespace vexo {

void UpdateTrayHint(const std::string& caption, std::int32_t downloaded, TrayView& tray, int waitingRetries)
{
    std::string hint = caption + "\nЗа сеанс: " + std::to_string(downloaded);
    if (waitingRetries > 0)
        hint += "\nЖдут повтора: " + std::to_string(waitingRetries);
    tray.showTrayHint(hint);
}

} // namespace vexo
