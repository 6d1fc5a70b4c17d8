// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/tray_hint.h"

#include "base/session.h"
#include "downloader/tray_view.h"

#include <string>

namespace vexo {

void UpdateTrayHint(const Session& session, TrayView& tray, int waitingRetries)
{
    std::string hint = session.caption() + "\nЗа сеанс: " + std::to_string(session.downloadedThisSession);
    if (waitingRetries > 0)
        hint += "\nЖдут повтора: " + std::to_string(waitingRetries);
    tray.showTrayHint(hint);
}

} // namespace vexo
