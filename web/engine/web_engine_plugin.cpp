#include "web_engine_plugin.h"

#include "engine_view.h"

namespace vexo {

EngineView* WebEnginePlugin::createView(QWidget* parent)
{
    return new WebEngineView(parent);
}

} // namespace vexo
