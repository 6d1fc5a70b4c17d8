// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/downloader_bindings.h"

#include "app/main_window_controls.h"
#include "app/server_settings_dialog.h"
#include "app/status_bar.h"
#include "app/window_context.h"
#include "app/window_timer.h"
#include "base/handler_boundary.h"
#include "base/session.h"
#include "downloader/downloader.h"
#include "downloader/downloader_events.h"
#include "window_handlers/server_settings.h"
#include "window_handlers/views.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>

namespace vexo {

DownloaderBindings::DownloaderBindings(WindowContext& context)
    : QObject(context.controls.window), context_(context),
      downloader_(std::make_unique<Downloader>(context.session, context.views.downloader, context.views.tray,
                                               context.views.webPages, context.views.dialogs))
{
    setObjectName("DownloaderBindings");
    downloader_->keepFilesIn(KeptFiles(KeptFilesPath()));
    MainWindowControls& c = context.controls;
    HandlerBoundary& boundary = context.boundary;
    downloader_->showStart();

    // Handlers hold the downloader by pointer: it lives as long as these bindings.
    Downloader* d = downloader_.get();
    connect(c.serverSettingsButton, &QPushButton::clicked, this, boundary.guard([this] { settingsDialog().open(); }));
    connect(c.checkServerButton, &QPushButton::clicked, this, boundary.guard([d] { d->queueCheck(); }));
    connect(c.checkServerItem, &QAction::triggered, this, boundary.guard([d] { d->queueCheck(); }));
    connect(c.stopButton, &QPushButton::clicked, this, boundary.guard([d] { d->stopDownload(); }));
    connect(c.stopItem, &QAction::triggered, this, boundary.guard([d] { d->stopDownload(); }));
    // The box and the tray item switch the same automatic check.
    const auto setAutoCheck = [this, d](bool on) { context_.boundary.run([=] { d->setAutoCheck(on); }); };
    connect(c.autoCheckBox, &QCheckBox::toggled, this, setAutoCheck);
    connect(c.autoCheckItem, &QAction::toggled, this, setAutoCheck);
    // Typing is held until the editing ends: Enter, the focus leaving, or a
    // pause (the period typing timer).
    connect(c.autoCheckPeriodBox, &QLineEdit::textChanged, this, [this, d](const QString& text) {
        context_.boundary.run([&] { d->typeAutoCheckPeriod(text.toStdString()); });
    });
    connect(c.autoCheckPeriodBox, &QLineEdit::editingFinished, this,
            boundary.guard([d] { d->finishAutoCheckPeriod(); }));
    connect(c.periodTypingTimer, &WindowTimer::tick, this, boundary.guard([d] { d->finishAutoCheckPeriod(); }));
    connect(c.statusBar, &StatusBar::clicked, this, boundary.guard([d] { d->stop(); }));
    connect(c.runnerTimer, &WindowTimer::tick, this, boundary.guard([d] { d->tick(); }));
    connect(c.fetchProgressTimer, &WindowTimer::tick, this, boundary.guard([d] { d->showFetchProgress(); }));
    connect(c.autoCheckTimer, &WindowTimer::tick, this, boundary.guard([d] { d->autoCheckTick(); }));
    connect(c.trayHintTimer, &WindowTimer::tick, this, boundary.guard([d] { d->sendHeldTrayHint(); }));
    context.views.webPages.whenRemovalLoaded([this, d](const std::string& address, bool loaded) {
        context_.boundary.run([&] { d->removalPageLoaded(address, loaded); });
    });

    // The dialog reads the settings after the main window's start-up has run;
    // building its window waits until it is first opened.
    QTimer::singleShot(0, this, boundary.guard([this] { readSettingsDialogFields(); }));
}

DownloaderBindings::~DownloaderBindings() = default;

void DownloaderBindings::takeStoredSettings()
{
    if (!context_.session.hasSettings())
        return;
    downloader_->setServerAddress(StoredServerAddress(context_.session.settings()));
    downloader_->takeStoredAutoCheck();
}

void DownloaderBindings::readSettingsDialogFields()
{
    if (dialogFields_)
        return;
    dialogFields_ = std::make_unique<ServerSettingsForm>(ReadServerSettings(context_.session.settings()));
}

ServerSettingsDialog& DownloaderBindings::settingsDialog()
{
    if (!dialog_) {
        readSettingsDialogFields();
        dialog_ = new ServerSettingsDialog(context_, *downloader_, *dialogFields_);
    }
    return *dialog_;
}

} // namespace vexo
