// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vexo {

class Dialogs;

// The exclusive locks that keep two copies of the program (a script's "/a"
// beside the window, say) from working in one folder at once: an flock(2)
// on each folder itself, so no file is added to it. They are held for the
// lifetime of the object and released however the work ends.
//
// Within this program a folder it holds already counts as locked: a run
// inside a run shares the lock instead of waiting for itself for ever. Its
// own runs are kept apart by the program's run state, not by these locks.
class FolderLocks {
public:
    // Locks each of `folders` (the same folder named twice, or by two
    // paths, is locked once), in one order that every copy of the program
    // follows, so that two of them never wait for each other. While a
    // folder is held by another program, calls `waiting` once, then tries
    // again every 20 ms at most and pumps the window in between; a stop
    // request ends the wait with StopRequest, leaving nothing locked. A
    // folder that cannot be opened, or whose file system cannot lock, is
    // left unlocked: the work then meets its own errors as it would alone.
    FolderLocks(const std::vector<std::string>& folders, Dialogs& dialogs, const std::function<void()>& waiting);
    ~FolderLocks();
    FolderLocks(const FolderLocks&) = delete;
    FolderLocks& operator=(const FolderLocks&) = delete;

    // Whether another program held one of the folders when they were asked for.
    bool waited() const { return waited_; }
    // How many distinct folders are locked.
    int held() const { return static_cast<int>(held_.size()); }

    struct Key {
        unsigned long long device = 0;
        unsigned long long inode = 0;
        // The defaulted comparison has no pointer in it to write as nullptr.
        // NOLINTNEXTLINE(modernize-use-nullptr)
        auto operator<=>(const Key&) const = default;
    };

private:
    void release() noexcept;

    std::vector<Key> held_;
    bool waited_ = false;
};

} // namespace vexo
