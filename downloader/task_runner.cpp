// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/task_runner.h"

#include "base/file_system.h"
#include "base/int_text.h"
#include "base/session.h"
#include "base/tray_hint.h"
#include "base/views.h"
#include "downloader/downloader.h"
#include "downloader/server_check.h"

#include <cstdio>
#include <optional>

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

// The listed file a download task names, if its position is one of the table's.
std::optional<ServerFile> TaskFile(const Downloader& d, const std::string& arg)
{
    const std::optional<std::int32_t> position = ParseInt32(arg);
    if (!position || *position < 1 || *position > ServerFiles::kCapacity)
        return std::nullopt;
    return d.files.at(*position);
}

// Fetches the task's file into the working folder; true when it arrived.
bool FetchListedFile(Downloader& d, const std::optional<ServerFile>& file, std::string& path)
{
    Session& session = d.session;
    d.view.showFetchName(file ? file->fileName : std::string());
    if (!FolderExists(session.workingFolder)) {
        d.dialogs.showMessage(MessageKind::Information,
                              "Текущая папка не существует, сохраняем в " + session.programFolder);
        session.workingFolder = session.programFolder;
    }

    d.progress.fetchedBytes = 0;
    if (!file || !IsPlainFileName(file->fileName))
        return false;
    path = JoinPath(session.workingFolder, file->fileName);
    return FetchToFile(
        file->url, path, file->sizeText, d.progress, [&d] { d.dialogs.pump(); }, d.fetchLimits);
}

void RunDownloadTask(Downloader& d)
{
    const TaskId download = d.queue.headId();
    const TaskId removal =
        d.queue.taskCount() >= 2 && d.queue.at(2).kind == TaskKind::Remove ? d.queue.idAt(2) : kNoTask;
    const std::optional<ServerFile> file = TaskFile(d, d.queue.head().arg);

    EnterFetching(d.view);
    try {
        std::string path;
        const bool arrived = FetchListedFile(d, file, path);
        if (arrived)
            ++d.session.downloadedThisSession;
        else
            d.dialogs.showMessage(MessageKind::Information, "Ошибка, файл не найден на сервере");
        UpdateTrayHint(d.session, d.tray);
        d.view.showFetchName("");
        d.dialogs.pump();
        LeaveFetching(d);

        if (arrived && d.progress.fetchedBytes > 0) {
            PopTask(d, download);
            return;
        }
        // Nothing usable arrived: the file stays on the server, so its
        // removal goes too. Only a file this fetch made is deleted.
        if (d.progress.fetchedBytes == 0)
            d.dialogs.showMessage(MessageKind::Information, "Ошибка, файл не найден на сервере (Нулевой размер)");
        if (arrived)
            std::remove(path.c_str());
        PopTwoTasks(d, download, removal);
    } catch (...) {
        // The tab and the timers come back, and the download does not stay
        // at the head to fail again at every tick.
        d.view.showFetchName("");
        LeaveFetching(d);
        PopTwoTasks(d, download, removal);
        throw;
    }
}

void RunRemovalTask(Downloader& d)
{
    const TaskId removal = d.queue.headId();
    const std::string address = RemovalAddress(d.session.client.host, d.queue.head().arg);
    try {
        const std::int32_t mode = d.session.settings->readInteger(settings::kRemovalMode);
        if (mode == 1)
            d.dialogs.openExternally(address + "&close=1");
        else if (mode == 2)
            d.webPages.load(WebPage::Removal, address);
    } catch (...) {
        // A removal is fire-and-forget: one that cannot be started is
        // reported once and not tried again.
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
