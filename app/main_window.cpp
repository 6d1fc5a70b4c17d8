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
#include "app/window_timer.h"
#include "base/file_names.h"
#include "base/stop_request.h"
#include "downloader/downloader.h"
#include "window_handlers/start_up.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace vexo {

MainWindow::MainWindow(std::string executablePath, CommandLine commandLine)
    : controls_(BuildMainWindow(*this)), bars_(new FramedBars(this)), windowView_(controls_),
      decoderView_(controls_, *bars_), downloaderView_(controls_, *bars_), dialogs_(*this),
      arrivals_(decoderOptions_, windowView_),
      webViews_(webModule_,
                {{WebPage::UploadManagement, {controls_.uploadTab, PageViewName(WebPage::UploadManagement)}},
                 {WebPage::News, {controls_.newsHolder, PageViewName(WebPage::News)}},
                 {WebPage::Removal, {controls_.removalHolder, PageViewName(WebPage::Removal)}}}),
      views_{windowView_, decoderView_, downloaderView_, arrivals_, webViews_, dialogs_},
      boundary_(dialogs_), context_{session_, decoderOptions_, views_, controls_, boundary_}
{
    // A new window is a new run of the program.
    ClearStopRequest();
    std::string programFolder = FolderPart(executablePath);
    std::string defaultFolder =
        DefaultWorkingFolder(executablePath, programFolder,
                             QStandardPaths::writableLocation(QStandardPaths::DownloadLocation).toStdString());
    session_.setProgramPlaces(std::move(executablePath), std::move(programFolder), std::move(defaultFolder));
    session_.setCommandLine(std::move(commandLine));
    // An unattended run tells its log what its boxes say, and waits for nobody.
    unattended_ = session_.commandLine().unattended;
    dialogs_.setUnattended(unattended_);

    // Each subsystem binds its own controls here, before start-up runs.
    new ShellBindings(context_);
    auto* decoder = new DecoderBindings(context_);
    new TrayBindings(context_);
    downloader_ = new DownloaderBindings(context_);
    // What arrives is decoded after the runner's tick that finished the downloads.
    arrivals_.attach({session_, decoder->run(), decoder->queue(), decoder->boxes(), downloader_->downloader()});
    connect(controls_.runnerTimer, &WindowTimer::tick, this, boundary_.guard([this] { arrivals_.runWhenDue(); }));
    new WebBindings(context_, downloader_->downloader());
    boundary_.run([this] { StartUp(session_, decoderOptions_, views_, boundary_); });
    boundary_.run([this] { downloader_->takeStoredSettings(); });
}

MainWindow::~MainWindow()
{
    // The tray menu has no parent (see BuildMenus).
    delete controls_.trayMenu;
}

const TcpEndpoint& MainWindow::serverAddress() const
{
    return downloader_->downloader().serverAddress();
}

void MainWindow::showCentred()
{
    placeCentred();
    show();
    findChild<TrayBindings*>()->putInTrayOncePainted();
    startShownWindow();
}

void MainWindow::startInTray()
{
    // Ticked as by a click, so that the tray item and the timer follow.
    controls_.autoCheckBox->setChecked(true);
    findChild<TrayBindings*>()->putInTray();
    placeCentred();
    // A window never shown is in the tray already; without a tray it waits
    // minimised on the taskbar, as a minimised window does.
    if (!findChild<TrayBindings*>()->trayAvailable())
        showMinimized();
    startShownWindow();
}

void MainWindow::placeCentred()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        QRect frame = frameGeometry();
        frame.moveCenter(available.center());
        // The title bar stays on the screen, whatever the size.
        move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
    }
}

void MainWindow::startShownWindow()
{
    // The decoder tab is shown from the start; its show handler runs once the window is up.
    findChild<ShellBindings*>()->decoderTabShown();
    // The unattended run starts once the event loop turns: whether a window
    // manager ever activates the window (there may be none) is no concern.
    QTimer::singleShot(0, this, [this] { findChild<DecoderBindings*>()->windowShown(); });
}

void MainWindow::answerLaterStart(const std::string& folder, bool inTray, bool deleteAfterDecoding)
{
    if (inTray)
        controls_.autoCheckBox->setChecked(true);
    else
        controls_.showWindowItem->trigger();
    if (deleteAfterDecoding)
        TakeDeleteSwitch(decoderOptions_, session_.settings(), views_.decoder, boundary_);
    if (folder.empty())
        return;
    waitingFolder_ = folder;
    controls_.folderBox->installEventFilter(this);
    takeWaitingFolder();
}

void MainWindow::takeWaitingFolder()
{
    // A decode or a join disables the folder box while it works in the folder.
    if (waitingFolder_.empty() || !controls_.folderBox->isEnabled())
        return;
    const std::string folder = std::exchange(waitingFolder_, {});
    TakeStartFolder(session_, views_, boundary_, folder);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Taken at the next turn of the event loop, once the run that enabled
    // the box again has finished its step.
    if (watched == controls_.folderBox && event->type() == QEvent::EnabledChange && !waitingFolder_.empty())
        QTimer::singleShot(0, this, [this] { takeWaitingFolder(); });
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::unattendedRunFailed() const
{
    return unattended_ && findChild<DecoderBindings*>()->runFailed();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    boundary_.run([this] { StoreWindowSize(session_.settings(), {width(), height()}); });
    // Closing ends the program: work in progress stops at its next pump.
    RequestStop();
    event->accept();
}

} // namespace vexo
