// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/task_runner.h"

#include "base/dialogs.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/session.h"
#include "base/stop_request.h"
#include "base/temporary_files.h"
#include "downloader/downloader.h"
#include "downloader/downloader_view.h"
#include "downloader/removal_page.h"
#include "downloader/runner_timers.h"
#include "downloader/server_check.h"
#include "downloader/tray_hint.h"

#include <exception>
#include <string>

namespace vexo {

namespace {

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// The runner's own timer is held for the whole tick (HoldRunner); the
// automatic check waits until the queue has run empty (ReleaseRunner).
void EnterFetching(DownloaderView& view)
{
    view.setServerControlsEnabled(false);
    view.setTimerActive(DownloaderTimer::FetchProgress, true);
    view.setTimerActive(DownloaderTimer::AutoCheck, false);
}

void LeaveFetching(Downloader& d)
{
    d.view.setServerControlsEnabled(true);
    d.view.setTimerActive(DownloaderTimer::FetchProgress, false);
    d.view.showFetchStatus("");
    d.view.showFetchProgress(0, d.progress.fetchTotal);
}

// Fetches the task's file into the working folder.
Fetched FetchListedFile(Downloader& d, const ServerFile& file)
{
    Session& session = d.session;
    d.view.showFetchName(file.fileName);
    const WorkingFolder::InUse folder = session.workingFolder().fallBack(session.defaultFolder());
    if (folder.fellBack)
        d.dialogs.showNotice(MessageKind::Information, "Текущая папка не существует, сохраняем в " + folder.path);

    d.progress.fetchedBytes = 0;
    if (!IsPlainFileName(file.fileName))
        return Fetched::Failed;
    RemoveStaleTemporaries(folder.path);
    // A name longer than the folder takes is shortened, not refused.
    const std::string path = JoinPath(folder.path, FitFileName(NameFromOutside(file.fileName)));
    return FetchToFile(
        file.url, path, file.sizeText, d.progress, [&d] { d.dialogs.pump(); }, d.fetchLimits);
}

// A file the server keeps is not fetched again, in this run or a later
// one; a state file that cannot be written is said in the status bar.
void RememberKeptFile(Downloader& d, const ServerFile& file)
{
    try {
        d.keptFiles.add(file);
    } catch (const FileError& error) {
        d.view.showStatus(std::string("[!] ") + error.what());
    }
}

// The removal queued behind the download at the head, if it is that
// download's own.
TaskId RemovalBehind(const Downloader& d, TaskId download)
{
    if (d.queue.taskCount() < 2)
        return kNoTask;
    const RemovalWork* removal = d.queue.at(2).removal();
    return removal && removal->download == download ? d.queue.idAt(2) : kNoTask;
}

void RunDownloadTask(Downloader& d)
{
    const TaskId download = d.queue.headId();
    const ServerFile file = d.queue.head().download()->file;
    const TaskId removal = RemovalBehind(d, download);
    // A file still in its pause after a failure waits for a later check.
    // One that arrived since this download was queued is not asked for
    // again: the server has removed it, and the answer would be a false
    // "not found".
    if (d.delivery.waits(file, d.now()) || ArrivedEarlier(d, file)) {
        d.queue.removeHeadPair(download, removal);
        return;
    }
    // Only a file's first failure in this run brings its boxes; later ones
    // are counted in the status bar and the tray hint.
    const bool tellFailure = !d.delivery.failedBefore(file);

    EnterFetching(d.view);
    try {
        const Fetched fetched = FetchListedFile(d, file);
        if (fetched == Fetched::Whole)
            d.delivery.arrived(download, file);
        else
            d.delivery.failed(file, d.now());
        if (fetched != Fetched::Failed)
            ++d.session.downloadedThisSession;
        else if (tellFailure)
            d.dialogs.showNotice(MessageKind::Information, "Ошибка, файл не найден на сервере");
        UpdateTrayHint(d.session, d.tray, d.delivery.waitingCount());
        d.view.showFetchName("");
        d.dialogs.pump();
        LeaveFetching(d);

        // The file is whole and on the disk: its removal may follow.
        if (fetched == Fetched::Whole) {
            if (KeepsFetchedFiles(d))
                RememberKeptFile(d, file);
            d.tray.announceArrival(file.fileName);
            d.queue.removeHead(download);
            return;
        }
        // Nothing usable arrived: the file stays on the server, so its
        // removal goes too, and it is tried again after its pause.
        if (d.progress.fetchedBytes == 0 && tellFailure)
            d.dialogs.showNotice(MessageKind::Information, "Ошибка, файл не найден на сервере (Нулевой размер)");
        d.queue.removeHeadPair(download, removal);
    } catch (const std::exception& error) {
        // The tab and the timers come back, and the download does not stay
        // at the head to fail again at every tick: it waits out its pause.
        if (!StopRequested())
            d.delivery.failed(file, d.now());
        d.view.showFetchName("");
        LeaveFetching(d);
        d.queue.removeHeadPair(download, removal);
        if (tellFailure || StopRequested())
            throw;
        // Told once already: a repeat goes to the status bar, not a box.
        d.view.showStatus(std::string("[!] ") + error.what());
        UpdateTrayHint(d.session, d.tray, d.delivery.waitingCount());
    } catch (...) {
        if (!StopRequested())
            d.delivery.failed(file, d.now());
        d.view.showFetchName("");
        LeaveFetching(d);
        d.queue.removeHeadPair(download, removal);
        throw;
    }
}

// Mode 2: the removal page loads the address without a window; how the
// load ends comes back through RemovalPageLoaded. Without the web engine
// module that cannot be: said once, and the browser takes over.
void RemoveInTheBackground(Downloader& d, const std::string& address, const std::string& removeRef)
{
    try {
        d.delivery.removalStarted(address, removeRef);
        d.removalPage.loadRemoval(address);
    } catch (const WebEngineMissing& error) {
        d.removalInBrowser = true;
        d.dialogs.showNotice(MessageKind::Warning,
                             std::string(error.what()) + "\nФайлы удаляются с сервера через браузер.");
        d.dialogs.openExternally(address + "&close=1");
    }
}

void RunRemovalTask(Downloader& d)
{
    const TaskId removal = d.queue.headId();
    const RemovalWork work = *d.queue.head().removal();
    // Only the removal of a file that arrived whole runs, or one queued
    // again after its page did not load; the program that is ending starts
    // none.
    if (!d.delivery.takeRemoval(work) || StopRequested()) {
        d.queue.removeHead(removal);
        return;
    }
    const std::string address = RemovalAddress(d.session.client.host, work.removeRef);
    try {
        const std::int32_t mode = d.session.settings().readInteger(settings::kRemovalMode);
        if (mode == 1 || (mode == 2 && d.removalInBrowser))
            d.dialogs.openExternally(address + "&close=1");
        else if (mode == 2)
            RemoveInTheBackground(d, address, work.removeRef);
    } catch (...) {
        // A removal that cannot be started is reported once and not tried
        // again; in mode 2 only a page that did not load is.
        d.queue.removeHead(removal);
        throw;
    }
    d.queue.removeHead(removal);
}

// After each task the window shows the queue and takes its events, which
// may queue or drop tasks: the next task is looked for afresh.
void ShowQueueAndPump(Downloader& d)
{
    ShowQueuedTasks(d);
    d.dialogs.pump();
}

// Carries out the check at the head, then the download now at the head,
// then the removal now at the head.
void RunHeadTasks(Downloader& d)
{
    const auto headIs = [&d](TaskKind kind) { return !d.queue.empty() && d.queue.head().kind() == kind; };
    if (headIs(TaskKind::Check)) {
        CheckServer(d);
        ShowQueueAndPump(d);
    }
    if (headIs(TaskKind::Download)) {
        RunDownloadTask(d);
        ShowQueueAndPump(d);
    }
    if (headIs(TaskKind::Remove)) {
        RunRemovalTask(d);
        ShowQueueAndPump(d);
    }
}

} // namespace

bool IsPlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos
           && name.find('\0') == std::string::npos;
}

std::string RemovalAddress(const std::string& host, const std::string& removeRef)
{
    return "http://" + host + "/uploader/" + removeRef;
}

void RunNextTask(Downloader& d)
{
    if (d.taskRunning)
        return;
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(d.taskRunning);

    const bool idle = d.queue.empty();
    ShowQueueAndPump(d);
    if (d.queue.empty()) {
        // A click on the status bar through the pump dropped the tasks.
        if (!idle)
            ReleaseRunner(d);
        return;
    }

    // The timers are set once for the tick: held while its tasks run, and
    // released when they end, however they end.
    HoldRunner(d);
    try {
        RunHeadTasks(d);
    } catch (...) {
        ReleaseRunner(d);
        ShowQueuedTasks(d);
        throw;
    }
    ReleaseRunner(d);
}

} // namespace vexo
