// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/background_removals.h"
#include "downloader/retry_schedule.h"
#include "downloader/server_files.h"
#include "downloader/task_queue.h"

#include <set>
#include <string>

namespace vexo {

// What this run knows of the listed files it set out to deliver: those
// whose download failed and that wait out a pause before they are fetched
// again (only the first failure of each brings its boxes), those that
// arrived whole, and which removals may run. A listed file is known by its
// name and its address together.
class DeliveryRecord {
public:
    using Clock = RetrySchedule::Clock;

    // The file failed and its pause is not over yet.
    bool waits(const ServerFile& file, Clock::time_point now) const;
    // The file failed before in this run.
    bool failedBefore(const ServerFile& file) const;
    // The file arrived whole in this run. A later list that still holds it
    // (its removal has not reached the server yet, or two checks listed
    // it) need not fetch it again: the second request would only find it
    // gone.
    bool arrivedWhole(const ServerFile& file) const;
    // Forgets the arrivals that `listed`, a whole list, no longer holds:
    // their removal has reached the server, and a new upload under that
    // name (cameras repeat theirs) is a file of its own.
    void forgetUnlisted(const ServerFiles& listed);
    // How many files wait for another try.
    int waitingCount() const { return retries_.waitingCount(); }

    // The download `download` brought the file whole and it is on the
    // disk: it no longer waits, and the removal queued for that download may run.
    void arrived(TaskId download, const ServerFile& file);
    // A download of the file failed at `now`: it stays on the server and
    // waits out its pause, which grows with every failure.
    void failed(const ServerFile& file, Clock::time_point now);
    // Every waiting file may be tried at once; the pauses keep growing.
    void allowAllRetries(Clock::time_point now) { retries_.allowAll(now); }

    // Whether the removal may run, taking its leave: once for the download
    // whose file arrived whole, or once for a removal queued again after
    // its page did not load (one that names no download).
    bool takeRemoval(const RemovalWork& removal);
    // The hidden removal page was asked to load `address`, the removal of
    // `removeRef`.
    void removalStarted(const std::string& address, const std::string& removeRef)
    {
        backgroundRemovals_.started(address, removeRef);
    }
    // The hidden page finished loading `address`. True for the first
    // failure of a file's removal in this run, which the user is told of.
    bool removalLoaded(const std::string& address, bool loaded)
    {
        return backgroundRemovals_.finished(address, loaded);
    }
    // The file's removal page did not load: it waits to be queued again.
    bool removalFailed(const ServerFile& file) const { return backgroundRemovals_.failed(file.removeRef); }

private:
    RetrySchedule retries_;
    std::set<TaskId> arrivedDownloads_;
    std::set<std::string> arrivedFiles_;
    BackgroundRemovals backgroundRemovals_;
};

} // namespace vexo
