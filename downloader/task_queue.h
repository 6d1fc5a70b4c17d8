// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/server_files.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <variant>

namespace vexo {

// Kinds of server work, each with its word for the status bar. The first
// four are never queued.
enum class TaskKind : std::uint8_t {
    Tr = 1,
    Url = 2,
    Ls = 3,
    Del = 4,
    Check = 5,    // list the server's files
    Download = 6, // fetch one listed file
    Remove = 7,   // remove a fetched file on the server
};

// Every task gets a serial number of its own when it is queued, so that a
// task that finishes can remove exactly itself: the queue may have been
// emptied and refilled while it ran.
using TaskId = std::uint64_t;
inline constexpr TaskId kNoTask = 0;

// A check lists the server's files.
struct CheckWork {};

// A download fetches one file as its check listed it, so that a later
// check that lists other files cannot change what it fetches.
struct DownloadWork {
    ServerFile file;
};

// A removal asks the server to remove a fetched file by its removal
// reference. It names the download it belongs to and runs only when that
// very file arrived whole; a removal queued again after its page did not
// load names none.
struct RemovalWork {
    std::string removeRef;
    TaskId download = kNoTask;
};

// One queued piece of server work and its serial number.
struct ServerTask {
    std::variant<CheckWork, DownloadWork, RemovalWork> work;
    TaskId id = kNoTask;

    TaskKind kind() const;
    // The work of a download or a removal; null for a task of another kind.
    const DownloadWork* download() const { return std::get_if<DownloadWork>(&work); }
    const RemovalWork* removal() const { return std::get_if<RemovalWork>(&work); }

    static ServerTask Check() { return {CheckWork{}}; }
    static ServerTask Download(ServerFile file) { return {DownloadWork{std::move(file)}}; }
    static ServerTask Removal(TaskId download, std::string removeRef)
    {
        return {RemovalWork{std::move(removeRef), download}};
    }
};

// The server task queue: at most 255 tasks, position 1 is the head. It
// only holds the tasks; the runner and the handlers that queue work tell
// the window (Downloader::showQueuedTasks and the runner's timers).
class TaskQueue {
public:
    static constexpr int kCapacity = 255;

    int taskCount() const { return static_cast<int>(tasks_.size()); }
    int freeSlots() const { return kCapacity - taskCount(); }
    bool empty() const { return tasks_.empty(); }

    // Position 1 to taskCount().
    const ServerTask& at(int position) const { return tasks_.at(static_cast<std::size_t>(position - 1)); }
    const ServerTask& head() const { return at(1); }
    // The head's id, or kNoTask for an empty queue.
    TaskId headId() const { return tasks_.empty() ? kNoTask : tasks_.front().id; }
    // The id of the task at `position`, or kNoTask when there is none.
    TaskId idAt(int position) const;
    // Whether a check other than the task `except` is queued (a running
    // check stays at the head until it ends).
    bool holdsCheck(TaskId except = kNoTask) const;

    // Appends at the tail and gives the task its id; a full queue drops the
    // task and returns kNoTask.
    TaskId append(ServerTask task);
    // Removes the head if it is the task `id`; false if it is not.
    bool removeHead(TaskId id);
    // Removes a download and the removal queued behind it: `second` goes
    // only when `first` went and it is then the head.
    void removeHeadPair(TaskId first, TaskId second);
    void clear() { tasks_.clear(); }

    // The words of the queued tasks' kinds, head first, each ending in a
    // space: "get down rem ".
    std::string taskWords() const;

private:
    std::deque<ServerTask> tasks_;
    TaskId lastId_ = kNoTask;
};

// The word of one task kind ("get ", "down ", ...), empty for a kind without one.
const char* TaskWord(TaskKind kind);

} // namespace vexo
