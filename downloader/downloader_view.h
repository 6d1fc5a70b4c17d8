// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vexo {

// The server file grid: row 0 holds the column titles; the first
// `fixedRows` rows are drawn as a header, and at least one row always
// stays below them.
struct ServerFileTable {
    std::vector<std::array<std::string, 2>> rows;
    int fixedRows = 0;
};

// The timers of the downloader.
enum class DownloaderTimer {
    TaskRunner,    // carries out the next server task
    FetchProgress, // shows the progress of a fetch
    AutoCheck,     // queues the automatic check
    PeriodTyping,  // ends the editing of the period box after a pause
    TrayHint,      // sends the tray hint held back by its pace
};

// The downloader tab, its timers, and the status bar.
class DownloaderView {
public:
    virtual ~DownloaderView() = default;

    // "Обновить", "Настройки", "Автопроверка" and its period box.
    virtual void setServerControlsEnabled(bool enabled) = 0;
    virtual void showAutoCheck(bool on) = 0;
    virtual void showAutoCheckPeriod(const std::string& seconds) = 0;
    // "Остановить": enabled while a download runs.
    virtual void setStopEnabled(bool enabled) = 0;

    // Throws std::logic_error when the table has no row below its header.
    virtual void showServerFiles(const ServerFileTable& table) = 0;

    virtual void showFetchName(const std::string& name) = 0;
    virtual void showFetchStatus(const std::string& text) = 0;
    // The speed and the time left, beside the status; empty when unknown.
    virtual void showFetchSpeed(const std::string& text) = 0;
    // Bytes; either may pass 2^31.
    virtual void showFetchProgress(std::int64_t fetched, std::int64_t total) = 0;

    // A timer that is switched on, or given another interval, starts its
    // countdown anew; an interval of 0 gives no ticks.
    virtual void setTimerActive(DownloaderTimer timer, bool active) = 0;
    virtual void setTimerInterval(DownloaderTimer timer, std::uint32_t milliseconds) = 0;

    virtual void showStatus(const std::string& text) = 0;
    // The words of the queued server tasks, in the status bar's second panel.
    virtual void showQueuedTasks(const std::string& words) = 0;
};

} // namespace vexo
