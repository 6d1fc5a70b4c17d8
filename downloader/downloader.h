// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "downloader/delivery_record.h"
#include "downloader/downloader_view.h"
#include "downloader/http_fetch.h"
#include "downloader/kept_files.h"
#include "downloader/removal_page.h"
#include "downloader/server_files.h"
#include "downloader/speed_meter.h"
#include "downloader/task_queue.h"
#include "downloader/tcp_client.h"
#include "downloader/tray_hint_pacer.h"
#include "downloader/tray_view.h"
#include "downloader/trouble_episode.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vexo {

class Session;

// Automatic checking: whether it is on, and its period as the box holds it.
struct AutoCheckState {
    bool on = false;
    std::string period = "60"; // seconds, as text
};

// The server downloader for the run: the task queue and what it knows of
// the server, worked through the handlers of the downloader tab, the tray
// items and the timers (downloader_events.cpp), the task runner
// (task_runner.cpp) and the check (server_check.cpp).
class Downloader {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    Downloader(Session& session, DownloaderView& view, TrayView& tray, RemovalPage& removalPage, Dialogs& dialogs)
        : session_(session), view_(view), tray_(tray), removalPage_(removalPage), dialogs_(dialogs)
    {}

    // What the run is set up with; tests set their own.
    // The time the pauses after failures are measured in.
    void setClock(Clock now) { now_ = std::move(now); }
    void setTcpTimeouts(TcpTimeouts timeouts) { tcpTimeouts_ = timeouts; }
    void setFetchLimits(FetchLimits limits) { fetchLimits_ = limits; }
    // The record of the files the server keeps; the window gives it the
    // user's state file.
    void keepFilesIn(KeptFiles keptFiles) { keptFiles_ = std::move(keptFiles); }

    // The server the check lists, as the settings hold it.
    const TcpEndpoint& serverAddress() const { return server_; }
    void setServerAddress(TcpEndpoint server) { server_ = std::move(server); }

    // The handlers of the window's controls, tray items and timers.

    // The downloader's controls as start-up leaves them: the grid's titles.
    void showStart();
    // Tick of the task runner's timer: its period follows "Refresh", then
    // the runner carries out the next tasks (runTasks).
    void tick();
    // "Обновить", and the tray item "Проверить новые файлы" (which works
    // also while the button is disabled): queue a check, in which files
    // whose download failed are tried again at once, whatever their pause.
    // No second check is queued while one is queued or running.
    void queueCheck();
    // "Автопроверка" or the tray item "Автообновление" switched (a "--tray"
    // start switches it on too): the other one follows, the automatic check
    // is switched on or off, and the switch is stored for later starts.
    void setAutoCheck(bool on);
    // Tick of the automatic check's timer: the tray hint, the period, and a
    // check unless one is queued or running already.
    void autoCheckTick();
    // Tick of the fetch progress timer: the bar, "Скачано ... из ...", the
    // speed and the time left, the tray hint, and a pump.
    void showFetchProgress();
    // Tick of the tray hint's timer: the hint held back since the last one
    // went out goes now, a second after that one.
    void sendHeldTrayHint();
    // The period box's text changed as the user types: it is held as typed
    // until the editing ends (finishAutoCheckPeriod), at the latest a second
    // after the last keystroke (the PeriodTyping timer).
    void typeAutoCheckPeriod(const std::string& text);
    // Enter, the box lost the focus, or the pause after the last keystroke
    // passed: the text typed becomes the period (changeAutoCheckPeriod).
    // Nothing when nothing was typed since.
    void finishAutoCheckPeriod();
    // The period box ended up holding `text`: anything that is not a number
    // of at least 15 becomes "15"; the automatic check takes the new period,
    // which is stored for later starts when it changed.
    void changeAutoCheckPeriod(const std::string& text);
    // Start-up: the period box and "Автопроверка" as the settings hold them
    // (a stored period below 15 counts as 15). The first automatic check
    // comes a second after it is switched on, as after a click. An
    // unattended run ("/a") leaves it off: it decodes, fetches nothing, and
    // ends.
    void takeStoredAutoCheck();
    // A click on the status bar: the task queue empties, and the status bar
    // says how many tasks were dropped. A task being carried out still ends.
    void stop();
    // "Остановить", on the tab or in the tray: the running download ends at
    // once, neither arrived nor failed (a later check fetches the file
    // again, without a pause), and the tasks queued behind it go; the
    // status bar names the file. Nothing while no download runs.
    void stopDownload();
    // The hidden removal page finished loading `address`; `loaded` is false
    // for a page that could not be fetched or that came with an HTTP error
    // status. The first failure of each file is said in the status bar; the
    // removal is tried again by the next check that lists the file.
    void removalPageLoaded(const std::string& address, bool loaded);

    // The task runner (task_runner.cpp).

    // One tick of the runner: carries out the check at the head of the
    // queue, then the download now at the head, then the removal now at the
    // head, so one tick can list, fetch and remove a file. The tick sets the
    // timers once: the runner's is off while the tasks run and on again when
    // they end, and the automatic check follows its switch once the queue is
    // empty. A call made while a task is being carried out (from the pumps
    // inside it) does nothing.
    void runTasks();
    // Carries out the check at the head of the queue: logs in over TCP,
    // lists the waiting files into the file table and the grid, queues
    // their downloads and removals and one more check, and removes its own
    // task. A check that cannot connect stays at the head and is tried
    // again at the next tick. Its waits pump the window (TcpClient), and the
    // list ends after the check's time limit with the entries that arrived
    // whole. The runner calls it, which starts no task while one runs;
    // while it runs (it stays at the head), no other check is queued.
    void checkServer();

    // The runner's timers as the task queue changes (runner_timers.cpp).
    // The queue itself only holds tasks; the runner's tick and the handlers
    // that queue or drop work call these once each, when they are done with
    // the queue.

    // Shows the words of the queued tasks in the status bar, unless they
    // are the words shown already.
    void showQueuedTasks();
    // The runner's timer stays off while a tick carries out tasks, so that
    // no tick falls due inside their pumps.
    void holdRunner();
    // Tasks were carried out or dropped: the runner's timer is on again
    // (one switched on anew counts a full period from here), and once the
    // queue is empty the automatic check follows its switch and the tray's
    // notice of the check's arrivals is complete.
    void releaseRunner();

    // A file arrived from the server (whole or as far as the server sent
    // it): one more for the tray hint's count.
    void countArrival() { ++downloadedThisSession_; }
    // The files fetched from the server since start-up.
    std::int32_t downloadedThisSession() const { return downloadedThisSession_; }

    // The task queue, which has its own narrow operations.
    TaskQueue& queue() { return queue_; }
    const TaskQueue& queue() const { return queue_; }
    // What arrived, what failed and waits for another try, and which
    // removals may run.
    DeliveryRecord& delivery() { return delivery_; }
    const DeliveryRecord& delivery() const { return delivery_; }
    // The last list of the server.
    const ServerFiles& files() const { return files_; }
    // The grid of listed files: its title row, then every file listed since
    // start-up (a refused login empties it).
    const ServerFileTable& table() const { return table_; }
    const AutoCheckState& autoCheck() const { return autoCheck_; }
    const FetchProgress& progress() const { return progress_; }
    // Whether the runner is carrying out a task.
    bool running() const { return taskRunning_; }

private:
    // server_check.cpp
    std::string forgetUnlistedArrivals();
    void showServerFiles();
    void queueDownloads(TaskId runningCheck);
    bool keepsFetchedFiles() const;
    bool arrivedEarlier(const ServerFile& file);
    void showStatusAndPump(const std::string& text);

    // task_runner.cpp
    void runHeadTasks();
    void runDownloadTask();
    void runRemovalTask();
    void removeInTheBackground(const std::string& address, const std::string& removeRef);
    Fetched fetchListedFile(const ServerFile& file);
    void setStoppable(bool on);
    void stopIfAsked() const;
    void rememberKeptFile(const ServerFile& file);
    void fileFailed(bool tellFailure, const std::string& text);
    TaskId removalBehind(TaskId download) const;
    void leaveFetching();
    void showQueueAndPump();

    // downloader_events.cpp
    void queueCheckOnce();
    void switchAutoCheck(bool on);

    // runner_timers.cpp
    void restartRunner();
    void showTrayHint();
    void offerTrayHint(const std::string& hint);
    void startTrayHintTimer(std::optional<TrayHintPacer::Wait> wait);
    void announceArrival(const std::string& fileName);
    void reportTrouble(MessageKind kind, const std::string& text);
    bool failedTaskTold(const std::exception& error);
    bool listsFailedFiles() const;

    Session& session_;
    DownloaderView& view_;
    TrayView& tray_;
    RemovalPage& removalPage_;
    Dialogs& dialogs_;
    // The failures the tray shows, from the first to the check that works.
    TroubleEpisode trouble_{tray_};

    TcpEndpoint server_;
    std::int32_t downloadedThisSession_ = 0;
    TaskQueue queue_;
    ServerFiles files_;
    ServerFileTable table_{{{"Имя Файла", "Размер"}}, 0};
    AutoCheckState autoCheck_;
    // The period box's text while the user types it, not yet the period.
    std::optional<std::string> typedPeriod_;
    FetchProgress progress_;

    TcpTimeouts tcpTimeouts_;
    FetchLimits fetchLimits_;

    // The runner is carrying out a task; ticks that arrive meanwhile (from
    // the pumps inside the task) are not acted upon.
    bool taskRunning_ = false;
    // The task being carried out, while it is at the head.
    TaskId carriedOut_ = kNoTask;
    // A download runs that "Остановить" may stop, and it was asked to.
    bool stoppable_ = false;
    bool stopAsked_ = false;
    // The files that arrived whole since the queue last ran empty: the
    // arrivals of one check and the checks it chained, one notice.
    std::vector<std::string> checkArrivals_;
    // The words of the queued tasks as the status bar shows them, so that
    // they are shown again only when they change.
    std::string shownTaskWords_;
    // The file being fetched, while a download runs (stoppable_), and the
    // speed of its transfer.
    std::string fetchingName_;
    SpeedMeter speed_;
    // The tray hint as it goes out: at most once a second, the last one
    // held back until then.
    TrayHintPacer trayHint_;
    // Files whose listed size was not a number at the last check, already
    // reported to the user ("name\nsize").
    std::set<std::string> reportedSizes_;
    DeliveryRecord delivery_;
    // The files that arrived while the server keeps fetched files.
    KeptFiles keptFiles_;
    Clock now_ = [] { return std::chrono::steady_clock::now(); };
    // The removal page could not be made (the web engine module is
    // missing): removals go through the browser, as in mode 1.
    bool removalInBrowser_ = false;
};

} // namespace vexo
