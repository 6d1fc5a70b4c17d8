#include "web/views/qt_web_views.h"

#include "web/views/web_engine.h"
#include "web/views/web_module_loader.h"

#include <QLabel>
#include <QLayout>
#include <QWidget>

#include <stdexcept>

namespace vexo {

namespace {

void ShowInHolder(QWidget* holder, QWidget* content)
{
    if (QLayout* layout = holder->layout())
        layout->addWidget(content);
    else
        content->setGeometry(holder->rect());
}

} // namespace

QtWebViews::QtWebViews(WebModuleLoader& loader, QWidget* webBrowHolder, QWidget* webNewsHolder, QWidget* delwebHolder)
    : loader_(loader),
      holders_{{WebView::WebBrow, webBrowHolder}, {WebView::WebNews, webNewsHolder}, {WebView::Delweb, delwebHolder}}
{
}

bool QtWebViews::created(WebView view) const
{
    const auto found = widgets_.find(view);
    return found != widgets_.end() && !found->second.isNull();
}

EngineView* QtWebViews::ensure(WebView view)
{
    if (created(view))
        return views_.at(view);

    QWidget* holder = holders_.at(view);
    WebEngine* engine = loader_.engine();
    if (!engine) {
        if (view == WebView::Delweb)
            throw std::runtime_error(loader_.error().toStdString());
        // Said once, in place of the page.
        if (!holder->findChild<QLabel*>(QStringLiteral("WebUnavailable"))) {
            auto* notice = new QLabel(loader_.error(), holder);
            notice->setObjectName(QStringLiteral("WebUnavailable"));
            notice->setWordWrap(true);
            notice->setAlignment(Qt::AlignCenter);
            ShowInHolder(holder, notice);
        }
        return nullptr;
    }

    EngineView* created = engine->createView(holder);
    created->widget()->setObjectName(view == WebView::WebBrow   ? QStringLiteral("WebBrow")
                                     : view == WebView::WebNews ? QStringLiteral("WebNews")
                                                                : QStringLiteral("delweb"));
    ShowInHolder(holder, created->widget());
    created->widget()->show();
    views_[view] = created;
    widgets_[view] = created->widget();
    return created;
}

void QtWebViews::navigate(WebView view, const std::string& url)
{
    if (EngineView* target = ensure(view))
        target->navigate(QString::fromStdString(url));
}

std::string QtWebViews::location(WebView view) const
{
    if (!created(view))
        return {};
    return views_.at(view)->location().toStdString();
}

} // namespace vexo
