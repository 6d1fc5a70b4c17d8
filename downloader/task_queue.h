#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace vexo {

class WindowOps;

// Kinds of queued server work. Kinds 1 to 4 have a word for the status bar
// but nothing queues them and the runner leaves them alone.
inline constexpr std::uint8_t tkCheck = 5;
inline constexpr std::uint8_t tkDownload = 6;
inline constexpr std::uint8_t tkRemove = 7;

// Every task gets a serial number of its own when it is queued, so that a
// task that finishes can remove exactly itself: the queue may have been
// emptied and refilled while it ran.
using TaskId = std::uint64_t;
inline constexpr TaskId kNoTask = 0;

// One queued piece of server work. `Arg` is "is_files" for a check, the
// file's 1-based position in `ServerFiles` for a download, and the file's
// removal reference for a removal.
struct ServerTask {
    std::string Arg;
    std::uint8_t Kind = 0;
    TaskId id = kNoTask;
};

// The server task queue: at most 255 tasks, position 1 is the head.
class TaskQueue {
public:
    static constexpr int kCapacity = 255;

    int TaskCount() const { return static_cast<int>(tasks_.size()); }
    int freeSlots() const { return kCapacity - TaskCount(); }
    bool empty() const { return tasks_.empty(); }

    // Position 1 to TaskCount().
    const ServerTask& at(int position) const { return tasks_.at(static_cast<std::size_t>(position - 1)); }
    const ServerTask& head() const { return at(1); }
    // The head's id, or kNoTask for an empty queue.
    TaskId headId() const { return tasks_.empty() ? kNoTask : tasks_.front().id; }
    // The id of the task at `position`, or kNoTask when there is none.
    TaskId idAt(int position) const;

    // Appends at the tail; a full queue drops the task and returns kNoTask.
    TaskId append(const std::string& arg, std::uint8_t kind);
    // Removes the head if it is the task `id`; false if it is not.
    bool removeHead(TaskId id);
    void clear() { tasks_.clear(); }

    // The words of the queued tasks' kinds, head first, each ending in a
    // space: "get down rem ".
    std::string TaskWords() const;

private:
    std::deque<ServerTask> tasks_;
    TaskId lastId_ = kNoTask;
};

// The word of one task kind ("get ", "down ", ...), empty for 0 and above 7.
const char* TaskWord(std::uint8_t kind);

// Appends a task and restarts the runner's timer, so its next tick comes one
// full interval later. A full queue drops the task.
void PushTask(TaskQueue& queue, WindowOps& ops, const std::string& arg, std::uint8_t kind);

// Closes a task: removes it if it is still the head, switches the runner's
// timer on, shows the queue, lets the automatic check follow its box once
// the queue is empty, and pumps. `task` kNoTask removes nothing.
void PopTask(TaskQueue& queue, WindowOps& ops, TaskId task);

// As PopTask, for a download and the removal queued behind it.
void PopTwoTasks(TaskQueue& queue, WindowOps& ops, TaskId first, TaskId second);

} // namespace vexo
