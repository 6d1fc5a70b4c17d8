// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "web/web_pages_view.h"

#include <QString>

namespace vexo {

struct MainWindowControls;
struct ServerSettingsControls;

// Every widget keeps, as its object name, the name it had in the window's
// first design, so that style sheets and accessibility tools written for
// that design still find it. The table behind these is the only place
// those names appear; the code reaches widgets through their controls.
void NameMainWindowWidgets(const MainWindowControls& controls);
void NameServerSettingsWidgets(const ServerSettingsControls& controls);
QString PageViewName(WebPage page);

} // namespace vexo
