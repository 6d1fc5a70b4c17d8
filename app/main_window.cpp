// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/decoder_bindings.h"
#include "app/downloader_bindings.h"
#include "app/form_names.h"
#include "app/framed_bars.h"
#include "app/shell_bindings.h"
#include "app/tray_bindings.h"
#include "app/web_bindings.h"
#include "app/window_builder.h"
#include "base/start_up.h"
#include "base/stop_request.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace vexo {

MainWindow::MainWindow(std::string executablePath, std::vector<std::string> args)
    : controls_(BuildMainWindow(*this)), bars_(new FramedBars(this)), windowView_(controls_),
      decoderView_(controls_, *bars_), downloaderView_(controls_, *bars_), dialogs_(*this),
      webViews_(webModule_,
                {{WebPage::UploadManagement, {controls_.uploadTab, PageViewName(WebPage::UploadManagement)}},
                 {WebPage::News, {controls_.newsHolder, PageViewName(WebPage::News)}},
                 {WebPage::Removal, {controls_.removalHolder, PageViewName(WebPage::Removal)}}}),
      views_{windowView_, decoderView_, downloaderView_, windowView_, webViews_, dialogs_},
      boundary_(dialogs_), context_{session_, views_, controls_, boundary_}
{
    // A new window is a new run of the program.
    ClearStopRequest();
    session_.executablePath = std::move(executablePath);
    const std::size_t slash = session_.executablePath.rfind('/');
    session_.programFolder = session_.executablePath.substr(0, slash + 1);
    session_.args = std::move(args);

    // Each subsystem binds its own controls here, before start-up runs.
    new ShellBindings(context_);
    new DecoderBindings(context_);
    new TrayBindings(context_);
    new DownloaderBindings(context_);
    new WebBindings(context_);
    boundary_.run([this] { StartUp(session_, views_, boundary_); });
}

MainWindow::~MainWindow()
{
    // The tray menu has no parent (see BuildMenus).
    delete controls_.trayMenu;
}

void MainWindow::showCentred()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    // The decoder tab is shown from the start; its show handler runs once the window is up.
    findChild<ShellBindings*>()->decoderTabShown();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    boundary_.run([this] { StoreWindowSize(session_, {width(), height()}); });
    // Closing ends the program: work in progress stops at its next pump.
    RequestStop();
    event->accept();
}

} // namespace vexo
