#include "app/web_bindings.h"

#include "app/main_window.h"
#include "web/url_download.h"
#include "web/web_pages.h"

#include <QPushButton>
#include <QTabWidget>

namespace vexo {

WebBindings::WebBindings(TVmain& window)
    : QObject(&window),
      window_(window),
      views_(loader_, window.controls().TabSheet3, window.controls().WebNewsHolder, window.controls().DelwebHolder)
{
    MainWindowControls& c = window.controls();

    connect(c.Tabs, &QTabWidget::currentChanged, this, [this](int index) {
        QWidget* shown = window_.controls().Tabs->widget(index);
        if (shown == window_.controls().TabSheet3)
            window_.guarded([this] { TabSheet3Show(window_.session(), views_); })();
        else if (shown == window_.controls().NewsSheet)
            window_.guarded([this] { NewsSheetShow(views_); })();
    });
    connect(c.More, &QPushButton::clicked, this, window.guarded([this] { MoreClick(views_); }));
    connect(c.SiteOpen, &QPushButton::clicked, this, window.guarded([this] { SiteOpenClick(window_.ops()); }));
    connect(c.Download, &QPushButton::clicked, this, window.guarded([this] {
        // The fetch keeps the window alive; a second click must not start another one meanwhile.
        QPushButton* button = window_.controls().Download;
        button->setEnabled(false);
        struct Reenable {
            QPushButton* button;
            ~Reenable() { button->setEnabled(true); }
        } reenable{button};
        DownloadClick(window_.session(), window_.ops());
    }));

    // The window's operations are always the Qt ones.
    static_cast<QtWindowOps&>(window.ops()).hiddenNavigator = [this](const std::string& url) {
        views_.navigate(WebView::Delweb, url);
    };
}

} // namespace vexo
