#include "downloader/task_queue.h"

#include "base/window_ops.h"

namespace vexo {

const char* TaskWord(std::uint8_t kind)
{
    switch (kind) {
    case 1: return "tr ";
    case 2: return "url ";
    case 3: return "ls ";
    case 4: return "del ";
    case tkCheck: return "get ";
    case tkDownload: return "down ";
    case tkRemove: return "rem ";
    default: return "";
    }
}

TaskId TaskQueue::idAt(int position) const
{
    if (position < 1 || position > TaskCount())
        return kNoTask;
    return at(position).id;
}

TaskId TaskQueue::append(const std::string& arg, std::uint8_t kind)
{
    if (TaskCount() >= kCapacity)
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

std::string TaskQueue::TaskWords() const
{
    std::string words;
    for (const ServerTask& task : tasks_)
        words += TaskWord(task.Kind);
    return words;
}

void PushTask(TaskQueue& queue, WindowOps& ops, const std::string& arg, std::uint8_t kind)
{
    if (queue.freeSlots() == 0)
        return;
    ops.setTimerActive(Timer::Timer, false);
    queue.append(arg, kind);
    ops.setStatusText(1, queue.TaskWords());
    ops.setTimerActive(Timer::Timer, true);
}

namespace {

void FinishPop(TaskQueue& queue, WindowOps& ops)
{
    ops.setTimerActive(Timer::Timer, true);
    ops.setStatusText(1, queue.TaskWords());
    if (queue.empty())
        ops.setTimerActive(Timer::Bigtimer, ops.isChecked(Control::AutoO));
    ops.pump();
}

} // namespace

void PopTask(TaskQueue& queue, WindowOps& ops, TaskId task)
{
    queue.removeHead(task);
    FinishPop(queue, ops);
}

void PopTwoTasks(TaskQueue& queue, WindowOps& ops, TaskId first, TaskId second)
{
    if (queue.removeHead(first))
        queue.removeHead(second);
    FinishPop(queue, ops);
}

} // namespace vexo
