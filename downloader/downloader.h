// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/views.h"
#include "downloader/background_removals.h"
#include "downloader/http_fetch.h"
#include "downloader/retry_schedule.h"
#include "downloader/server_files.h"
#include "downloader/task_queue.h"
#include "downloader/tcp_client.h"

#include <chrono>
#include <functional>
#include <set>
#include <string>

namespace vexo {

struct Session;

// Automatic checking: whether it is on, and its period as the box holds it.
struct AutoCheckState {
    bool on = false;
    std::string period = "60"; // seconds, as text
};

// A listed file's key in `Downloader::retries` and `arrivedFiles`.
inline std::string ListedFileKey(const ServerFile& file)
{
    return file.fileName + "\n" + file.url;
}

// The server downloader's state for the run, with the views and the shared
// state it works on. Its handlers and tasks take it whole.
struct Downloader {
    Downloader(Session& session, DownloaderView& view, TrayView& tray, WebPagesView& webPages, Dialogs& dialogs)
        : session(session), view(view), tray(tray), webPages(webPages), dialogs(dialogs)
    {}

    Session& session;
    DownloaderView& view;
    TrayView& tray;
    WebPagesView& webPages;
    Dialogs& dialogs;

    TaskQueue queue;
    ServerFiles files;
    // The grid of listed files: its title row, then every file listed since
    // start-up (a refused login empties it).
    ServerFileTable table{{{"Имя Файла", "Размер"}}, 0};
    AutoCheckState autoCheck;
    FetchProgress progress;

    TcpTimeouts tcpTimeouts;
    FetchLimits fetchLimits;

    // The runner is carrying out a task; ticks that arrive meanwhile (from
    // the pumps inside the task) are not acted upon.
    bool taskRunning = false;
    // Files whose listed size was not a number at the last check, already
    // reported to the user ("name\nsize").
    std::set<std::string> reportedSizes;
    // Downloads whose file arrived whole and is on the disk; only their
    // removals may run.
    std::set<TaskId> arrivedDownloads;
    // Files whose download failed ("name\naddress") stay on the server and
    // wait out a growing pause before a check fetches them again; only the
    // first failure of each brings its boxes.
    RetrySchedule retries;
    // The time the pauses are measured in; tests set it.
    std::function<std::chrono::steady_clock::time_point()> now = [] { return std::chrono::steady_clock::now(); };
    // Files that arrived whole in this run ("name\naddress"). A later list
    // that still holds one (its removal has not reached the server yet, or
    // two checks listed it) does not fetch it again: the second request
    // would only find it gone. Files kept on the server (removal mode 3)
    // are fetched at every round, as that mode asks.
    std::set<std::string> arrivedFiles;
    // The removal page could not be made (the web engine module is
    // missing): removals go through the browser, as in mode 1.
    bool removalInBrowser = false;
    // Removals in the hidden page, and those whose page did not load.
    BackgroundRemovals removals;
};

} // namespace vexo
