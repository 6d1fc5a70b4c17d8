#pragma once

#include "web/views/qt_web_views.h"
#include "web/views/web_module_loader.h"

#include <QObject>

namespace vexo {

class TVmain;

// The web pages' side of the window: the two page tabs, "Подробнее",
// "Откр. Сайт", the hidden tab's "Download", and the hidden view `delweb`
// that removals load their addresses in. Views are made on first use.
class WebBindings : public QObject {
    Q_OBJECT
public:
    explicit WebBindings(TVmain& window);

    QtWebViews& views() { return views_; }

private:
    TVmain& window_;
    WebModuleLoader loader_;
    QtWebViews views_;
};

} // namespace vexo
