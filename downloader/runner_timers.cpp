// SPDX-License-Identifier: GPL-3.0-or-later
// What the window is told when the task queue changes or a file arrives.
#include "base/session.h"
#include "downloader/downloader.h"
#include "downloader/tray_hint.h"

namespace vexo {

void Downloader::showQueuedTasks()
{
    std::string words = queue_.taskWords();
    if (words == shownTaskWords_)
        return;
    view_.showQueuedTasks(words);
    shownTaskWords_ = std::move(words);
}

void Downloader::holdRunner()
{
    view_.setTimerActive(DownloaderTimer::TaskRunner, false);
}

void Downloader::releaseRunner()
{
    view_.setTimerActive(DownloaderTimer::TaskRunner, true);
    if (!queue_.empty())
        return;
    view_.setTimerActive(DownloaderTimer::AutoCheck, autoCheck_.on);
    // The chain of checks is over, however it ended.
    if (!checkArrivals_.empty()) {
        checkArrivals_.clear();
        tray_.endArrivals();
    }
}

// A handler queued work outside a tick: the runner's countdown starts anew,
// so the next tick comes one full period later. Inside a tick (from one of
// its pumps) the tick's end sets the timer instead.
void Downloader::restartRunner()
{
    if (taskRunning_)
        return;
    view_.setTimerActive(DownloaderTimer::TaskRunner, false);
    view_.setTimerActive(DownloaderTimer::TaskRunner, true);
}

void Downloader::showTrayHint()
{
    UpdateTrayHint(session_.caption(), downloadedThisSession_, tray_, delivery_.waitingCount());
}

void Downloader::announceArrival(const std::string& fileName)
{
    checkArrivals_.push_back(fileName);
    tray_.announceArrivals(checkArrivals_);
}

} // namespace vexo
