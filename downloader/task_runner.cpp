// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/task_runner.h"

#include "base/file_io.h"
#include "base/file_names.h"
#include "base/file_system.h"
#include "base/session.h"
#include "base/stop_request.h"
#include "base/temporary_files.h"
#include "downloader/downloader.h"

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

// The runner's own timer is held for the whole tick (holdRunner); the
// automatic check waits until the queue has run empty (releaseRunner).
void EnterFetching(DownloaderView& view)
{
    view.setServerControlsEnabled(false);
    view.setTimerActive(DownloaderTimer::FetchProgress, true);
    view.setTimerActive(DownloaderTimer::AutoCheck, false);
}

constexpr const char* kNotFound = "Ошибка, файл не найден на сервере";

// "Остановить" was pressed: thrown from the fetch's pump, it ends the fetch
// as the program's stop does, and the download task takes it.
struct FetchStopped {};

// Names the task at the head as being carried out, while it is.
class CarryingOut {
public:
    CarryingOut(TaskId& slot, TaskId task) : slot_(slot) { slot_ = task; }
    ~CarryingOut() { slot_ = kNoTask; }
    CarryingOut(const CarryingOut&) = delete;
    CarryingOut& operator=(const CarryingOut&) = delete;

private:
    TaskId& slot_;
};

} // namespace

void Downloader::setStoppable(bool on)
{
    stopAsked_ = false;
    if (stoppable_ == on)
        return;
    stoppable_ = on;
    view_.setStopEnabled(on);
    tray_.setStopItemEnabled(on);
}

void Downloader::stopIfAsked() const
{
    if (stopAsked_)
        throw FetchStopped();
}

void Downloader::leaveFetching()
{
    view_.setServerControlsEnabled(true);
    view_.setTimerActive(DownloaderTimer::FetchProgress, false);
    view_.showFetchStatus("");
    view_.showFetchSpeed("");
    view_.showFetchProgress(0, progress_.fetchTotal);
    // The download's line leaves the tray hint, whichever way it ended.
    showTrayHint();
}

// Fetches the task's file into the working folder.
Fetched Downloader::fetchListedFile(const ServerFile& file)
{
    view_.showFetchName(file.fileName);
    fetchingName_ = file.fileName;
    speed_.restart();
    setStoppable(true);
    const WorkingFolder::InUse folder = session_.workingFolder().fallBack(session_.defaultFolder());
    if (folder.fellBack)
        reportTrouble(MessageKind::Information, "Текущая папка не существует, сохраняем в " + folder.path);

    progress_.fetchedBytes = 0;
    // Pressed while the box above was open.
    stopIfAsked();
    if (!IsPlainFileName(file.fileName))
        return Fetched::Failed;
    RemoveStaleTemporaries(folder.path);
    // A name longer than the folder takes is shortened, not refused.
    const std::string path = JoinPath(folder.path, LocalFileName(file.fileName));
    const auto pump = [this] {
        dialogs_.pump();
        // Ending the program wins over "Остановить".
        StopIfRequested();
        stopIfAsked();
    };
    return FetchToFile(file.url, path, file.sizeText, progress_, pump, fetchLimits_);
}

// A file's download failed: the tray shows it, and only its first failure
// brings the box.
void Downloader::fileFailed(bool tellFailure, const std::string& text)
{
    if (tellFailure)
        reportTrouble(MessageKind::Information, text);
    else
        trouble_.failed(text);
}

// A file the server keeps is not fetched again, in this run or a later
// one; a state file that cannot be written is said in the status bar.
void Downloader::rememberKeptFile(const ServerFile& file)
{
    try {
        keptFiles_.add(file);
    } catch (const FileError& error) {
        view_.showStatus(std::string("[!] ") + error.what());
    }
}

// The removal queued behind the download at the head, if it is that
// download's own.
TaskId Downloader::removalBehind(TaskId download) const
{
    if (queue_.taskCount() < 2)
        return kNoTask;
    const RemovalWork* removal = queue_.at(2).removal();
    return removal && removal->download == download ? queue_.idAt(2) : kNoTask;
}

void Downloader::runDownloadTask()
{
    const TaskId download = queue_.headId();
    const ServerFile file = queue_.head().download()->file;
    const TaskId removal = removalBehind(download);
    // A file still in its pause after a failure waits for a later check.
    // One that arrived since this download was queued is not asked for
    // again: the server has removed it, and the answer would be a false
    // "not found".
    if (delivery_.waits(file, now_()) || arrivedEarlier(file)) {
        queue_.removeHeadPair(download, removal);
        return;
    }
    // Only a file's first failure in this run brings its boxes; later ones
    // are counted in the status bar and the tray hint.
    const bool tellFailure = !delivery_.failedBefore(file);

    EnterFetching(view_);
    try {
        const Fetched fetched = fetchListedFile(file);
        setStoppable(false);
        if (fetched == Fetched::Whole)
            delivery_.arrived(download, file);
        else
            delivery_.failed(file, now_());
        if (fetched != Fetched::Failed)
            countArrival();
        else
            fileFailed(tellFailure, kNotFound);
        showTrayHint();
        view_.showFetchName("");
        dialogs_.pump();
        leaveFetching();

        // The file is whole and on the disk: its removal may follow.
        if (fetched == Fetched::Whole) {
            if (keepsFetchedFiles())
                rememberKeptFile(file);
            announceArrival(file.fileName);
            queue_.removeHead(download);
            return;
        }
        // Nothing usable arrived: the file stays on the server, so its
        // removal goes too, and it is tried again after its pause.
        if (progress_.fetchedBytes == 0)
            fileFailed(tellFailure, "Ошибка, файл не найден на сервере (Нулевой размер)");
        queue_.removeHeadPair(download, removal);
    } catch (const FetchStopped&) {
        // Neither an arrival nor a failure: the file stays on the server and
        // a later check fetches it again, without a pause. The downloads
        // its check queued go, with their removals and the closing check.
        setStoppable(false);
        view_.showFetchName("");
        leaveFetching();
        queue_.clear();
        view_.showStatus("Остановлено: " + file.fileName);
        showTrayHint();
    } catch (const std::exception& error) {
        setStoppable(false);
        // The tab and the timers come back, and the download does not stay
        // at the head to fail again at every tick: it waits out its pause.
        if (!StopRequested())
            delivery_.failed(file, now_());
        view_.showFetchName("");
        leaveFetching();
        queue_.removeHeadPair(download, removal);
        if (tellFailure || StopRequested())
            throw;
        // Told once already: a repeat goes to the status bar, not a box.
        view_.showStatus(std::string("[!] ") + error.what());
        trouble_.failed(std::string("[!] ") + error.what());
        showTrayHint();
    } catch (...) {
        setStoppable(false);
        if (!StopRequested())
            delivery_.failed(file, now_());
        view_.showFetchName("");
        leaveFetching();
        queue_.removeHeadPair(download, removal);
        throw;
    }
}

// Mode 2: the removal page loads the address without a window; how the
// load ends comes back through removalPageLoaded. Without the web engine
// module that cannot be: said once, and the browser takes over.
void Downloader::removeInTheBackground(const std::string& address, const std::string& removeRef)
{
    try {
        delivery_.removalStarted(address, removeRef);
        removalPage_.loadRemoval(address);
    } catch (const WebEngineMissing& error) {
        removalInBrowser_ = true;
        reportTrouble(MessageKind::Warning, std::string(error.what()) + "\nФайлы удаляются с сервера через браузер.");
        dialogs_.openExternally(address + "&close=1");
    }
}

void Downloader::runRemovalTask()
{
    const TaskId removal = queue_.headId();
    const RemovalWork work = *queue_.head().removal();
    // Only the removal of a file that arrived whole runs, or one queued
    // again after its page did not load; the program that is ending starts
    // none.
    if (!delivery_.takeRemoval(work) || StopRequested()) {
        queue_.removeHead(removal);
        return;
    }
    const std::string address = RemovalAddress(server_.host, work.removeRef);
    try {
        const std::int32_t mode = session_.settings().readInteger(settings::kRemovalMode);
        if (mode == 1 || (mode == 2 && removalInBrowser_))
            dialogs_.openExternally(address + "&close=1");
        else if (mode == 2)
            removeInTheBackground(address, work.removeRef);
    } catch (...) {
        // A removal that cannot be started is reported once and not tried
        // again; in mode 2 only a page that did not load is.
        queue_.removeHead(removal);
        throw;
    }
    queue_.removeHead(removal);
}

// After each task the window shows the queue and takes its events, which
// may queue or drop tasks: the next task is looked for afresh.
void Downloader::showQueueAndPump()
{
    showQueuedTasks();
    dialogs_.pump();
}

// Carries out the check at the head, then the download now at the head,
// then the removal now at the head.
void Downloader::runHeadTasks()
{
    const auto headIs = [this](TaskKind kind) { return !queue_.empty() && queue_.head().kind() == kind; };
    if (headIs(TaskKind::Check)) {
        {
            const CarryingOut check(carriedOut_, queue_.headId());
            checkServer();
        }
        showQueueAndPump();
    }
    if (headIs(TaskKind::Download)) {
        {
            const CarryingOut download(carriedOut_, queue_.headId());
            runDownloadTask();
        }
        showQueueAndPump();
    }
    if (headIs(TaskKind::Remove)) {
        runRemovalTask();
        showQueueAndPump();
    }
}

bool IsPlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos
           && name.find('\0') == std::string::npos;
}

std::string LocalFileName(const std::string& listedName)
{
    return FitFileName(NameFromOutside(listedName));
}

std::string RemovalAddress(const std::string& host, const std::string& removeRef)
{
    return "http://" + host + "/uploader/" + removeRef;
}

void Downloader::runTasks()
{
    if (taskRunning_)
        return;
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(taskRunning_);

    const bool idle = queue_.empty();
    showQueueAndPump();
    if (queue_.empty()) {
        // A click on the status bar through the pump dropped the tasks.
        if (!idle)
            releaseRunner();
        return;
    }

    // The timers are set once for the tick: held while its tasks run, and
    // released when they end, however they end.
    holdRunner();
    try {
        runHeadTasks();
    } catch (const std::exception& error) {
        releaseRunner();
        showQueuedTasks();
        if (!failedTaskTold(error))
            throw;
        return;
    } catch (...) {
        releaseRunner();
        showQueuedTasks();
        throw;
    }
    releaseRunner();
}

} // namespace vexo
