// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "downloader/delivery_record.h"
#include "downloader/downloader_view.h"
#include "downloader/http_fetch.h"
#include "downloader/kept_files.h"
#include "downloader/removal_page.h"
#include "downloader/server_files.h"
#include "downloader/task_queue.h"
#include "downloader/tcp_client.h"
#include "downloader/tray_view.h"

#include <chrono>
#include <functional>
#include <set>
#include <string>

namespace vexo {

class Session;

// Automatic checking: whether it is on, and its period as the box holds it.
struct AutoCheckState {
    bool on = false;
    std::string period = "60"; // seconds, as text
};

// The server downloader's state for the run, with the views and the shared
// state it works on. Its handlers and tasks take it whole.
struct Downloader {
    Downloader(Session& session, DownloaderView& view, TrayView& tray, RemovalPage& removalPage, Dialogs& dialogs)
        : session(session), view(view), tray(tray), removalPage(removalPage), dialogs(dialogs)
    {}

    Session& session;
    DownloaderView& view;
    TrayView& tray;
    RemovalPage& removalPage;
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
    // The words of the queued tasks as the status bar shows them, so that
    // they are shown again only when they change.
    std::string shownTaskWords;
    // Files whose listed size was not a number at the last check, already
    // reported to the user ("name\nsize").
    std::set<std::string> reportedSizes;
    // What arrived, what failed and waits for another try, and which
    // removals may run.
    DeliveryRecord delivery;
    // The files that arrived while the server keeps fetched files; the
    // window gives it the user's state file.
    KeptFiles keptFiles;
    // The time the pauses after failures are measured in; tests set it.
    std::function<std::chrono::steady_clock::time_point()> now = [] { return std::chrono::steady_clock::now(); };
    // The removal page could not be made (the web engine module is
    // missing): removals go through the browser, as in mode 1.
    bool removalInBrowser = false;
};

} // namespace vexo
