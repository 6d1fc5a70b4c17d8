// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/views/qt_web_views.h"

#include "base/url_text.h"
#include "web/views/web_engine.h"
#include "web/views/web_module_loader.h"

#include <QLabel>
#include <QLayout>
#include <QTimer>
#include <QWidget>

namespace vexo {

namespace {

QUrl AddressBytes(const std::string& url)
{
    // The address's own bytes go on the wire: a removal reference in
    // Windows-1251 must not be read as UTF-8 on the way.
    return QUrl::fromEncoded(QByteArray::fromStdString(EncodeUrlBytes(url)));
}

void ShowInHolder(QWidget* holder, QWidget* content)
{
    if (QLayout* layout = holder->layout())
        layout->addWidget(content);
    else
        content->setGeometry(holder->rect());
}

} // namespace

QtWebViews::QtWebViews(WebModuleLoader& loader, std::map<WebPage, PagePlace> places)
    : loader_(loader), places_(std::move(places))
{}

QtWebViews::~QtWebViews()
{
    // The views may outlive this object, in their holders.
    for (const auto& [page, view] : views_)
        if (created(page))
            view->whenLoaded({});
}

void QtWebViews::whenRemovalLoaded(std::function<void(const std::string& address, bool loaded)> done)
{
    removalDone_ = std::move(done);
}

void QtWebViews::removalLoaded(bool loaded)
{
    if (removals_.empty())
        return;
    const std::string address = removals_.front();
    removals_.pop_front();
    if (!removals_.empty()) {
        // Not from inside the engine's own report of the load that ended.
        EngineView* view = views_.at(WebPage::Removal);
        QTimer::singleShot(0, view->widget(), [view, next = removals_.front()] { view->navigate(AddressBytes(next)); });
    }
    if (removalDone_)
        removalDone_(address, loaded);
}

bool QtWebViews::created(WebPage page) const
{
    const auto found = widgets_.find(page);
    return found != widgets_.end() && !found->second.isNull();
}

EngineView* QtWebViews::ensure(WebPage page)
{
    if (created(page))
        return views_.at(page);

    const PagePlace& place = places_.at(page);
    QWidget* holder = place.holder;
    WebEngine* engine = loader_.engine();
    if (!engine) {
        if (page == WebPage::Removal)
            throw WebEngineMissing(loader_.error().toStdString());
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
    created->widget()->setObjectName(place.viewName);
    ShowInHolder(holder, created->widget());
    created->widget()->show();
    views_[page] = created;
    widgets_[page] = created->widget();
    if (page == WebPage::Removal) {
        removals_.clear(); // a view that went took its loads with it
        created->whenLoaded([this](bool loaded) { removalLoaded(loaded); });
    }
    return created;
}

void QtWebViews::load(WebPage page, const std::string& url)
{
    EngineView* target = ensure(page);
    if (!target)
        return;
    if (page != WebPage::Removal) {
        target->navigate(AddressBytes(url));
        return;
    }
    removals_.push_back(url);
    if (removals_.size() == 1)
        target->navigate(AddressBytes(url));
}

std::string QtWebViews::address(WebPage page) const
{
    if (!created(page))
        return {};
    return views_.at(page)->location().toStdString();
}

} // namespace vexo
