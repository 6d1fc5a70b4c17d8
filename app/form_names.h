// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/views.h"

#include <QString>

namespace vexo {

struct MainWindowControls;
struct ServerSettingsControls;

// Every widget keeps, as its object name, the name it had in the window's
// first design ("Button2", "N4", ...), so that tests, style sheets and
// accessibility tools can find it by that name. These are the only places
// those names appear.
void NameMainWindowWidgets(const MainWindowControls& controls);
void NameServerSettingsWidgets(const ServerSettingsControls& controls);
QString PageViewName(WebPage page);

} // namespace vexo
