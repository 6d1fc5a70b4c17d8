// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/task_queue.h"

#include "base/views.h"
#include "downloader/downloader.h"

namespace vexo {

const char* TaskWord(TaskKind kind)
{
    switch (kind) {
    case TaskKind::Tr: return "tr ";
    case TaskKind::Url: return "url ";
    case TaskKind::Ls: return "ls ";
    case TaskKind::Del: return "del ";
    case TaskKind::Check: return "get ";
    case TaskKind::Download: return "down ";
    case TaskKind::Remove: return "rem ";
    }
    return "";
}

TaskKind ServerTask::kind() const
{
    if (download())
        return TaskKind::Download;
    if (removal())
        return TaskKind::Remove;
    return TaskKind::Check;
}

TaskId TaskQueue::idAt(int position) const
{
    if (position < 1 || position > taskCount())
        return kNoTask;
    return at(position).id;
}

bool TaskQueue::holdsCheck(TaskId except) const
{
    for (const ServerTask& task : tasks_) {
        if (task.kind() == TaskKind::Check && task.id != except)
            return true;
    }
    return false;
}

TaskId TaskQueue::append(ServerTask task)
{
    if (taskCount() >= kCapacity)
        return kNoTask;
    task.id = ++lastId_;
    tasks_.push_back(std::move(task));
    return lastId_;
}

bool TaskQueue::removeHead(TaskId id)
{
    if (id == kNoTask || tasks_.empty() || tasks_.front().id != id)
        return false;
    tasks_.pop_front();
    return true;
}

std::string TaskQueue::taskWords() const
{
    std::string words;
    for (const ServerTask& task : tasks_)
        words += TaskWord(task.kind());
    return words;
}

TaskId PushTask(Downloader& d, ServerTask task)
{
    if (d.queue.freeSlots() == 0)
        return kNoTask;
    d.view.setTimerActive(DownloaderTimer::TaskRunner, false);
    const TaskId id = d.queue.append(std::move(task));
    d.view.showQueuedTasks(d.queue.taskWords());
    d.view.setTimerActive(DownloaderTimer::TaskRunner, true);
    return id;
}

namespace {

void FinishPop(Downloader& d)
{
    d.view.setTimerActive(DownloaderTimer::TaskRunner, true);
    d.view.showQueuedTasks(d.queue.taskWords());
    if (d.queue.empty())
        d.view.setTimerActive(DownloaderTimer::AutoCheck, d.autoCheck.on);
    d.dialogs.pump();
}

} // namespace

void PopTask(Downloader& d, TaskId task)
{
    d.queue.removeHead(task);
    FinishPop(d);
}

void PopTwoTasks(Downloader& d, TaskId first, TaskId second)
{
    if (d.queue.removeHead(first))
        d.queue.removeHead(second);
    FinishPop(d);
}

} // namespace vexo
