// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "web/views/web_engine.h"

#include <QObject>

namespace vexo {

// The entry of the web engine module.
class WebEnginePlugin : public QObject, public WebEngine {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VEXO_WEB_ENGINE_IID)
    Q_INTERFACES(vexo::WebEngine)
public:
    EngineView* createView(QWidget* parent) override;

private:
    bool engineStarted_ = false;
};

} // namespace vexo
