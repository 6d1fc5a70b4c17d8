#pragma once

#include "downloader/http_fetch.h"
#include "downloader/server_files.h"
#include "downloader/task_queue.h"
#include "downloader/tcp_client.h"

#include <set>
#include <string>

namespace vexo {

class WindowOps;
struct Session;

// The server downloader's state for the run, with the window and the shared
// state it works on. Its handlers and tasks take it whole.
struct Downloader {
    Downloader(Session& session, WindowOps& ops) : session(session), ops(ops) {}

    Session& session;
    WindowOps& ops;

    TaskQueue queue;
    ServerFiles files;
    FetchProgress progress;

    TcpTimeouts tcpTimeouts;
    FetchLimits fetchLimits;

    // The runner is carrying out a task; ticks that arrive meanwhile (from
    // the pumps inside the task) are not acted upon.
    bool taskRunning = false;
    // Files whose listed size was not a number at the last check, already
    // reported to the user ("name\nsize").
    std::set<std::string> reportedSizes;
};

} // namespace vexo
