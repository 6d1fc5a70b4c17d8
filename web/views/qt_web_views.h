// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/views.h"

#include <QPointer>
#include <QString>

#include <map>

class QWidget;

namespace vexo {

class EngineView;
class WebModuleLoader;

// Where a page's view goes, and the object name it gets there.
struct PagePlace {
    QWidget* holder = nullptr;
    QString viewName;
};

// The web pages on the engine module, each view created in its holder the
// first time its page is loaded. Without the module, the two tabs show why
// instead, and the hidden removal page reports it as an error.
class QtWebViews : public WebPagesView {
public:
    QtWebViews(WebModuleLoader& loader, std::map<WebPage, PagePlace> places);

    void load(WebPage page, const std::string& url) override;
    std::string address(WebPage page) const override;

    // Whether the page's view has been made (and still exists).
    bool created(WebPage page) const;

private:
    EngineView* ensure(WebPage page);

    WebModuleLoader& loader_;
    std::map<WebPage, PagePlace> places_;
    std::map<WebPage, EngineView*> views_;
    std::map<WebPage, QPointer<QWidget>> widgets_;
};

} // namespace vexo
