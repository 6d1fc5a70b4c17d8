// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/tray_hint.h"

#include "base/session.h"
#include "base/views.h"

#include <string>

namespace vexo {

void UpdateTrayHint(const Session& session, TrayView& tray)
{
    tray.showTrayHint(session.caption + "\nЗа сеанс: " + std::to_string(session.downloadedThisSession));
}

} // namespace vexo
