// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/web_bindings.h"

#include "app/main_window_controls.h"
#include "app/window_context.h"
#include "base/handler_boundary.h"
#include "base/session.h"
#include "downloader/downloader.h"
#include "web/url_download.h"
#include "web/web_pages.h"
#include "window_handlers/views.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTabWidget>

namespace vexo {

WebBindings::WebBindings(WindowContext& context, const Downloader& downloader)
    : QObject(context.controls.window), context_(context), downloader_(downloader)
{
    MainWindowControls& c = context.controls;
    HandlerBoundary& boundary = context.boundary;

    connect(c.tabs, &QTabWidget::currentChanged, this, [this](int index) {
        const MainWindowControls& controls = context_.controls;
        QWidget* shown = controls.tabs->widget(index);
        if (shown == controls.uploadTab)
            context_.boundary.run(
                [this] { UploadTabShown(downloader_.serverAddress().host, context_.views.webPages); });
        else if (shown == controls.newsTab)
            context_.boundary.run([this] { NewsTabShown(context_.views.webPages); });
    });
    connect(c.moreButton, &QPushButton::clicked, this,
            boundary.guard([this] { ToggleNewsDetail(context_.views.webPages); }));
    connect(c.openSiteButton, &QPushButton::clicked, this,
            boundary.guard([this] { OpenServiceSite(context_.views.dialogs); }));
    connect(c.urlBox, &QLineEdit::textChanged, this,
            [this](const QString& text) { typedAddress_ = text.toStdString(); });
    connect(c.downloadUrlButton, &QPushButton::clicked, this, boundary.guard([this] { downloadTypedAddress(); }));
}

void WebBindings::downloadTypedAddress()
{
    // The fetch keeps the window alive; a second click must not start another one meanwhile.
    QPushButton* button = context_.controls.downloadUrlButton;
    button->setEnabled(false);
    struct Reenable {
        QPushButton* button;
        ~Reenable() { button->setEnabled(true); }
    } reenable{button};
    DownloadTypedAddress(context_.session.workingFolder(), typedAddress_, context_.views.downloader,
                         context_.views.dialogs);
}

} // namespace vexo
