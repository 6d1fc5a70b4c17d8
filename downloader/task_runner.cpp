#include "downloader/task_runner.h"

#include "downloader/downloader.h"
#include "base/file_system.h"
#include "base/int_text.h"
#include "downloader/server_check.h"
#include "base/session.h"
#include "base/tray_hint.h"
#include "base/window_ops.h"

#include <cstdio>
#include <optional>

namespace vexo {

namespace {

constexpr Control kServerControls[] = {Control::AutoO, Control::GetList, Control::Settings, Control::Aosec};

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

void EnterFetching(WindowOps& ops)
{
    for (Control control : kServerControls)
        ops.setEnabled(control, false);
    ops.setTimerActive(Timer::Timer1, true);
    ops.setTimerActive(Timer::Timer, false);
    ops.setTimerActive(Timer::Bigtimer, false);
}

void LeaveFetching(WindowOps& ops)
{
    for (Control control : kServerControls)
        ops.setEnabled(control, true);
    ops.setTimerActive(Timer::Timer1, false);
    ops.setText(Control::Statusdown, "");
    ops.setProgress(Control::ProgressBar3, 0);
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
    WindowOps& ops = d.ops;
    ops.setText(Control::Filenamedown, file ? file->FileName : std::string());
    if (!FolderExists(session.workingFolder)) {
        ops.showMessage(MessageKind::Information,
                        "Текущая папка не существует, сохраняем в " + session.programFolder);
        session.workingFolder = session.programFolder;
    }

    d.progress.FetchedBytes = 0;
    if (!file || !IsPlainFileName(file->FileName))
        return false;
    path = JoinPath(session.workingFolder, file->FileName);
    return FetchToFile(file->Url, path, file->SizeText, d.progress, [&ops] { ops.pump(); }, d.fetchLimits);
}

void RunDownloadTask(Downloader& d)
{
    WindowOps& ops = d.ops;
    const TaskId download = d.queue.headId();
    const TaskId removal = d.queue.TaskCount() >= 2 && d.queue.at(2).Kind == tkRemove ? d.queue.idAt(2) : kNoTask;
    const std::optional<ServerFile> file = TaskFile(d, d.queue.head().Arg);

    EnterFetching(ops);
    try {
        std::string path;
        const bool arrived = FetchListedFile(d, file, path);
        if (arrived)
            ++d.session.downloadedThisSession;
        else
            ops.showMessage(MessageKind::Information, "Ошибка, файл не найден на сервере");
        UpdateTrayHint(d.session, ops);
        ops.setText(Control::Filenamedown, "");
        ops.pump();
        LeaveFetching(ops);

        if (arrived && d.progress.FetchedBytes > 0) {
            PopTask(d.queue, ops, download);
            return;
        }
        // Nothing usable arrived: the file stays on the server, so its
        // removal goes too. Only a file this fetch made is deleted.
        if (d.progress.FetchedBytes == 0)
            ops.showMessage(MessageKind::Information, "Ошибка, файл не найден на сервере (Нулевой размер)");
        if (arrived)
            std::remove(path.c_str());
        PopTwoTasks(d.queue, ops, download, removal);
    } catch (...) {
        // The tab and the timers come back, and the download does not stay
        // at the head to fail again at every tick.
        ops.setText(Control::Filenamedown, "");
        LeaveFetching(ops);
        PopTwoTasks(d.queue, ops, download, removal);
        throw;
    }
}

void RunRemovalTask(Downloader& d)
{
    WindowOps& ops = d.ops;
    const TaskId removal = d.queue.headId();
    const std::string address = RemovalAddress(d.session.client.host, d.queue.head().Arg);
    try {
        const std::int32_t mode = d.session.settings->ReadInteger("Server", "RemMode", 1);
        if (mode == 1)
            ops.shellOpen(address + "&close=1");
        else if (mode == 2)
            ops.navigateHiddenView(address);
    } catch (...) {
        // A removal is fire-and-forget: one that cannot be started is
        // reported once and not tried again.
        PopTask(d.queue, ops, removal);
        throw;
    }
    PopTask(d.queue, ops, removal);
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

    WindowOps& ops = d.ops;
    ops.setStatusText(1, d.queue.TaskWords());
    ops.pump();
    if (!d.queue.empty() && d.queue.head().Kind == tkCheck)
        CheckServer(d);
    if (!d.queue.empty() && d.queue.head().Kind == tkDownload)
        RunDownloadTask(d);
    if (!d.queue.empty() && d.queue.head().Kind == tkRemove)
        RunRemovalTask(d);
    ops.setStatusText(1, d.queue.TaskWords());
    ops.pump();
}

} // namespace vexo
