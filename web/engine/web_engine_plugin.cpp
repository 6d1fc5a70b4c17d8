// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/engine/web_engine_plugin.h"

#include "web/engine/engine_view.h"

namespace vexo {

EngineView* WebEnginePlugin::createView(QWidget* parent)
{
    return new WebEngineView(parent);
}

} // namespace vexo
