// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/engine/web_engine_plugin.h"

#include "web/engine/engine_language.h"
#include "web/engine/engine_view.h"

namespace vexo {

EngineView* WebEnginePlugin::createView(QWidget* parent)
{
    // The first view starts the engine.
    if (!engineStarted_) {
        SpeakRussian();
        engineStarted_ = true;
    }
    return new WebEngineView(parent);
}

} // namespace vexo
