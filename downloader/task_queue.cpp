// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/task_queue.h"

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

void TaskQueue::removeHeadPair(TaskId first, TaskId second)
{
    if (removeHead(first))
        removeHead(second);
}

std::string TaskQueue::taskWords() const
{
    std::string words;
    for (const ServerTask& task : tasks_)
        words += TaskWord(task.kind());
    return words;
}

} // namespace vexo
