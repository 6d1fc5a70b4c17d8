// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/engine/engine_view.h"

#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

namespace vexo {

WebEngineView::WebEngineView(QWidget* parent) : QWebEngineView(parent)
{
    connect(page(), &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus || !done_)
            return;
        // An answer with an error status may still bring a page to show;
        // the load has not done what was asked all the same.
        const bool httpError =
            info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain && info.errorCode() >= 400;
        done_(info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && !httpError);
    });
}

void WebEngineView::whenLoaded(std::function<void(bool loaded)> done)
{
    done_ = std::move(done);
}

void WebEngineView::navigate(const QUrl& url)
{
    // Taken as written: an address with an empty host gets the engine's own
    // error page, as a browser would show it.
    load(url);
}

QString WebEngineView::location() const
{
    return url().toString();
}

} // namespace vexo
