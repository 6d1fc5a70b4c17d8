// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/engine/engine_view.h"

#include <QUrl>

namespace vexo {

WebEngineView::WebEngineView(QWidget* parent) : QWebEngineView(parent)
{}

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
