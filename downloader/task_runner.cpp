// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/task_runner.h"

#include "base/file_names.h"
#include "base/file_system.h"
#include "base/session.h"
#include "base/stop_request.h"
#include "base/temporary_files.h"
#include "base/tray_hint.h"
#include "base/views.h"
#include "downloader/downloader.h"
#include "downloader/server_check.h"

#include <exception>
#include <optional>
#include <string>

namespace vexo {

namespace {

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

void EnterFetching(DownloaderView& view)
{
    view.setServerControlsEnabled(false);
    view.setTimerActive(DownloaderTimer::FetchProgress, true);
    view.setTimerActive(DownloaderTimer::TaskRunner, false);
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
Fetched FetchListedFile(Downloader& d, const std::optional<ServerFile>& file)
{
    Session& session = d.session;
    d.view.showFetchName(file ? file->fileName : std::string());
    if (!FolderExists(session.workingFolder)) {
        d.dialogs.showMessage(MessageKind::Information,
                              "Текущая папка не существует, сохраняем в " + session.defaultFolder);
        session.workingFolder = session.defaultFolder;
        MakeFolder(session.workingFolder);
    }

    d.progress.fetchedBytes = 0;
    if (!file || !IsPlainFileName(file->fileName))
        return Fetched::Failed;
    RemoveStaleTemporaries(session.workingFolder);
    // A name longer than the folder takes is shortened, not refused.
    const std::string path = JoinPath(session.workingFolder, FitFileName(NameFromOutside(file->fileName)));
    return FetchToFile(
        file->url, path, file->sizeText, d.progress, [&d] { d.dialogs.pump(); }, d.fetchLimits);
}

void RunDownloadTask(Downloader& d)
{
    const ServerTask task = d.queue.head();
    const TaskId download = task.id;
    const bool removalFollows =
        d.queue.taskCount() >= 2 && d.queue.at(2).kind == TaskKind::Remove && d.queue.at(2).download == download;
    const TaskId removal = removalFollows ? d.queue.idAt(2) : kNoTask;
    const std::string key = task.file ? ListedFileKey(*task.file) : std::string();
    // A file still in its pause after a failure waits for a later check.
    // One that arrived since this download was queued is not asked for
    // again: the server has removed it, and the answer would be a false
    // "not found".
    if (task.file && (d.retries.waits(key, d.now()) || ArrivedEarlier(d, *task.file))) {
        PopTwoTasks(d, download, removal);
        return;
    }
    // Only a file's first failure in this run brings its boxes; later ones
    // are counted in the status bar and the tray hint.
    const bool tellFailure = !task.file || !d.retries.failedBefore(key);

    EnterFetching(d.view);
    try {
        const Fetched fetched = FetchListedFile(d, task.file);
        if (fetched == Fetched::Whole && task.file)
            d.retries.forget(key);
        else if (fetched != Fetched::Whole && task.file)
            d.retries.recordFailure(key, d.now());
        if (fetched != Fetched::Failed)
            ++d.session.downloadedThisSession;
        else if (tellFailure)
            d.dialogs.showMessage(MessageKind::Information, "Ошибка, файл не найден на сервере");
        UpdateTrayHint(d.session, d.tray, d.retries.waitingCount());
        d.view.showFetchName("");
        d.dialogs.pump();
        LeaveFetching(d);

        // The file is whole and on the disk: its removal may follow.
        if (fetched == Fetched::Whole) {
            d.arrivedDownloads.insert(download);
            d.arrivedFiles.insert(key);
            d.tray.announceArrival(task.file->fileName);
            PopTask(d, download);
            return;
        }
        // Nothing usable arrived: the file stays on the server, so its
        // removal goes too, and it is tried again after its pause.
        if (d.progress.fetchedBytes == 0 && tellFailure)
            d.dialogs.showMessage(MessageKind::Information, "Ошибка, файл не найден на сервере (Нулевой размер)");
        PopTwoTasks(d, download, removal);
    } catch (const std::exception& error) {
        // The tab and the timers come back, and the download does not stay
        // at the head to fail again at every tick: it waits out its pause.
        if (task.file && !StopRequested())
            d.retries.recordFailure(key, d.now());
        d.view.showFetchName("");
        LeaveFetching(d);
        PopTwoTasks(d, download, removal);
        if (tellFailure || StopRequested())
            throw;
        // Told once already: a repeat goes to the status bar, not a box.
        d.view.showStatus(std::string("[!] ") + error.what());
        UpdateTrayHint(d.session, d.tray, d.retries.waitingCount());
    } catch (...) {
        if (task.file && !StopRequested())
            d.retries.recordFailure(key, d.now());
        d.view.showFetchName("");
        LeaveFetching(d);
        PopTwoTasks(d, download, removal);
        throw;
    }
}

// Mode 2: the removal page loads the address without a window; how the
// load ends comes back through RemovalPageLoaded. Without the web engine
// module that cannot be: said once, and the browser takes over.
void RemoveInTheBackground(Downloader& d, const std::string& address, const std::string& removeRef)
{
    try {
        d.removals.started(address, removeRef);
        d.webPages.load(WebPage::Removal, address);
    } catch (const std::runtime_error& error) {
        d.removalInBrowser = true;
        d.dialogs.showMessage(MessageKind::Warning,
                              std::string(error.what()) + "\nФайлы удаляются с сервера через браузер.");
        d.dialogs.openExternally(address + "&close=1");
    }
}

void RunRemovalTask(Downloader& d)
{
    const ServerTask& task = d.queue.head();
    const TaskId removal = task.id;
    // Only the removal of a file that arrived whole runs, or one queued
    // again after its page did not load; the program that is ending starts
    // none.
    const bool retried = task.download == kNoTask && d.removals.takeFailed(task.arg);
    if ((d.arrivedDownloads.erase(task.download) == 0 && !retried) || StopRequested()) {
        PopTask(d, removal);
        return;
    }
    const std::string address = RemovalAddress(d.session.client.host, task.arg);
    try {
        const std::int32_t mode = d.session.settings->readInteger(settings::kRemovalMode);
        if (mode == 1 || (mode == 2 && d.removalInBrowser))
            d.dialogs.openExternally(address + "&close=1");
        else if (mode == 2)
            RemoveInTheBackground(d, address, task.arg);
    } catch (...) {
        // A removal that cannot be started is reported once and not tried
        // again; in mode 2 only a page that did not load is.
        PopTask(d, removal);
        throw;
    }
    PopTask(d, removal);
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

    d.view.showQueuedTasks(d.queue.taskWords());
    d.dialogs.pump();
    if (!d.queue.empty() && d.queue.head().kind == TaskKind::Check)
        CheckServer(d);
    if (!d.queue.empty() && d.queue.head().kind == TaskKind::Download)
        RunDownloadTask(d);
    if (!d.queue.empty() && d.queue.head().kind == TaskKind::Remove)
        RunRemovalTask(d);
    d.view.showQueuedTasks(d.queue.taskWords());
    d.dialogs.pump();
}

} // namespace vexo
