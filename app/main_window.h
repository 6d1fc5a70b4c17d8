// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/main_window_controls.h"
#include "app/qt_decoder_view.h"
#include "app/qt_dialogs.h"
#include "app/qt_downloader_view.h"
#include "app/qt_window_view.h"
#include "app/window_context.h"
#include "base/command_line.h"
#include "base/handler_boundary.h"
#include "base/session.h"
#include "decoder/decoder_options.h"
#include "downloader/tcp_client.h"
#include "web/views/qt_web_views.h"
#include "web/views/web_module_loader.h"
#include "window_handlers/arrival_decoding.h"
#include "window_handlers/views.h"

#include <QMainWindow>

#include <string>

namespace vexo {

class DownloaderBindings;
class FramedBars;

// The main window: builds every control, binds each subsystem's handlers,
// and runs the start-up in its constructor.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(std::string executablePath, CommandLine commandLine);
    ~MainWindow() override;

    Session& session() { return session_; }
    MainWindowControls& controls() { return controls_; }
    Views& views() { return views_; }
    QtWebViews& webViews() { return webViews_; }
    // The server the downloader checks: the settings' at start-up, then the
    // one each OK of the settings dialog hands over.
    const TcpEndpoint& serverAddress() const;

    // Shows the window centred on the desktop.
    void showCentred();
    // In place of showCentred(): starts hidden in the tray (minimised where
    // there is none) with "Автопроверка" ticked.
    void startInTray();
    // A later start of the program handed over to this one. The window
    // comes to the front as "Показать/скрыть" brings it, or, for a start in
    // the tray, stays as it is and the automatic check is ticked. A
    // non-empty `folder` becomes the working folder as soon as no decode or
    // join works in the current one, and "/d" ticks "Автоудаление", both by
    // the rules of a first start.
    void answerLaterStart(const std::string& folder, bool inTray, bool deleteAfterDecoding = false);
    // Whether an unattended ("/a") run failed (see BatchRun::failed): its exit status.
    bool unattendedRunFailed() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeCentred();
    void startShownWindow();
    void takeWaitingFolder();

    MainWindowControls controls_;
    Session session_;
    DecoderOptions decoderOptions_;
    FramedBars* bars_;
    QtWindowView windowView_;
    QtDecoderView decoderView_;
    QtDownloaderView downloaderView_;
    QtDialogs dialogs_;
    // The tray as the downloader tells it, holding arrivals for their run.
    ArrivalDecoding arrivals_;
    WebModuleLoader webModule_;
    QtWebViews webViews_;
    Views views_;
    HandlerBoundary boundary_;
    WindowContext context_;
    DownloaderBindings* downloader_ = nullptr; // a child of this window
    bool unattended_ = false;
    std::string waitingFolder_; // handed over by a later start, taken once the folder box is free
};

} // namespace vexo
