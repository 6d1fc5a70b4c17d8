// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "web/web_pages_view.h"

#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <map>
#include <string>

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
// instead, and the hidden removal page reports it as an error. The removal
// page loads one address after the other, so that none cuts the one before
// short, and tells how each ended.
class QtWebViews : public WebPagesView {
public:
    QtWebViews(WebModuleLoader& loader, std::map<WebPage, PagePlace> places);
    ~QtWebViews() override;
    QtWebViews(const QtWebViews&) = delete;
    QtWebViews& operator=(const QtWebViews&) = delete;

    void load(WebPage page, const std::string& url) override;
    std::string address(WebPage page) const override;

    void whenRemovalLoaded(std::function<void(const std::string& address, bool loaded)> done) override;

    // Whether the page's view has been made (and still exists).
    bool created(WebPage page) const;

private:
    EngineView* ensure(WebPage page);
    void removalLoaded(bool loaded);

    WebModuleLoader& loader_;
    std::map<WebPage, PagePlace> places_;
    std::map<WebPage, EngineView*> views_;
    std::map<WebPage, QPointer<QWidget>> widgets_;
    // The removal addresses not yet loaded; the first one is loading.
    std::deque<std::string> removals_;
    std::function<void(const std::string& address, bool loaded)> removalDone_;
};

} // namespace vexo
