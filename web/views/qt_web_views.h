#pragma once

#include "web/web_view_ops.h"

#include <QPointer>

#include <map>

class QWidget;

namespace vexo {

class EngineView;
class WebModuleLoader;

// The web views on the engine module, each created in its holder the first
// time it is navigated. Without the module, the two tabs show why instead,
// and the hidden view reports it as an error.
class QtWebViews : public WebViewOps {
public:
    QtWebViews(WebModuleLoader& loader, QWidget* webBrowHolder, QWidget* webNewsHolder, QWidget* delwebHolder);

    void navigate(WebView view, const std::string& url) override;
    std::string location(WebView view) const override;

    // Whether the view has been made (and still exists).
    bool created(WebView view) const;

private:
    EngineView* ensure(WebView view);

    WebModuleLoader& loader_;
    std::map<WebView, QWidget*> holders_;
    std::map<WebView, EngineView*> views_;
    std::map<WebView, QPointer<QWidget>> widgets_;
};

} // namespace vexo
