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

TaskId TaskQueue::idAt(int position) const
{
    if (position < 1 || position > taskCount())
        return kNoTask;
    return at(position).id;
}

TaskId TaskQueue::append(const std::string& arg, TaskKind kind)
{
    if (taskCount() >= kCapacity)
        return kNoTask;
    tasks_.push_back({arg, kind, ++lastId_});
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
        words += TaskWord(task.kind);
    return words;
}

void PushTask(Downloader& d, const std::string& arg, TaskKind kind)
{
    if (d.queue.freeSlots() == 0)
        return;
    d.view.setTimerActive(DownloaderTimer::TaskRunner, false);
    d.queue.append(arg, kind);
    d.view.showQueuedTasks(d.queue.taskWords());
    d.view.setTimerActive(DownloaderTimer::TaskRunner, true);
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
