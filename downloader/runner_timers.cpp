// SPDX-License-Identifier: GPL-3.0-or-later
// What the window is told when the task queue changes or a file arrives.
#include "base/session.h"
#include "downloader/downloader.h"
#include "downloader/fetch_pace_text.h"
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

// While a download runs (and may be stopped), the hint has a line for it;
// its figures alone change at every progress tick, and are paced.
void Downloader::showTrayHint()
{
    const std::string caption = session_.caption();
    const int waiting = delivery_.waitingCount();
    if (!stoppable_) {
        const std::string hint = TrayHintText(caption, downloadedThisSession_, waiting);
        trayHint_.offer(hint, hint, now_(), tray_);
        return;
    }
    const std::string line = FetchTrayLine(fetchingName_, progress_, speed_.bytesPerSecond());
    trayHint_.offer(TrayHintText(caption, downloadedThisSession_, waiting, line),
                    TrayHintText(caption, downloadedThisSession_, waiting, fetchingName_), now_(), tray_);
}

void Downloader::announceArrival(const std::string& fileName)
{
    checkArrivals_.push_back(fileName);
    tray_.announceArrivals(checkArrivals_);
}

} // namespace vexo
