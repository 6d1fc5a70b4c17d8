// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/downloader_view.h"

#include <QPointer>
#include <QWidget>

namespace vexo {

class FramedBars;
class WindowTimer;
struct MainWindowControls;

// The downloader tab, its timers and the status bar on their widgets. What
// it sets never runs the widgets' handlers: those answer the user alone.
class QtDownloaderView : public DownloaderView {
public:
    QtDownloaderView(MainWindowControls& controls, FramedBars& bars) : c_(controls), bars_(bars) {}

    void setServerControlsEnabled(bool enabled) override;
    void showAutoCheck(bool on) override;
    void showAutoCheckPeriod(const std::string& seconds) override;
    void setStopEnabled(bool enabled) override;
    void showServerFiles(const ServerFileTable& table) override;
    void showFetchName(const std::string& name) override;
    void showFetchStatus(const std::string& text) override;
    void showFetchSpeed(const std::string& text) override;
    void showFetchProgress(std::int64_t fetched, std::int64_t total) override;
    void setTimerActive(DownloaderTimer which, bool active) override;
    void setTimerInterval(DownloaderTimer which, std::uint32_t milliseconds) override;
    void showStatus(const std::string& text) override;
    void showQueuedTasks(const std::string& words) override;

private:
    WindowTimer* timer(DownloaderTimer which) const;

    MainWindowControls& c_;
    FramedBars& bars_;
    // A server control that had the focus when a download disabled it, and
    // where the focus went instead: it comes back unless the user moved it.
    QPointer<QWidget> focusBeforeFetch_;
    QPointer<QWidget> focusWhileFetching_;
};

} // namespace vexo
