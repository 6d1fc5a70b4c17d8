// SPDX-License-Identifier: GPL-3.0-or-later
// What the window is told when the task queue changes or a file arrives.
#include "base/session.h"
#include "base/stop_request.h"
#include "downloader/downloader.h"
#include "downloader/fetch_pace_text.h"
#include "downloader/tray_hint.h"

#include <cstdint>
#include <optional>
#include <string>

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

// While a download runs (and may be stopped), the hint has a line for it,
// whose figures change at every progress tick.
void Downloader::showTrayHint()
{
    const std::string caption = session_.caption();
    const int waiting = delivery_.waitingCount();
    if (!stoppable_) {
        offerTrayHint(TrayHintText(caption, downloadedThisSession_, waiting));
        return;
    }
    const std::string line = FetchTrayLine(fetchingName_, progress_, speed_.bytesPerSecond());
    offerTrayHint(TrayHintText(caption, downloadedThisSession_, waiting, line));
}

void Downloader::offerTrayHint(const std::string& hint)
{
    startTrayHintTimer(trayHint_.offer(hint, now_(), tray_));
}

void Downloader::sendHeldTrayHint()
{
    const std::optional<TrayHintPacer::Wait> wait = trayHint_.sendHeld(now_(), tray_);
    if (!wait)
        view_.setTimerActive(DownloaderTimer::TrayHint, false);
    startTrayHintTimer(wait);
}

// The timer counts the wait from now, once.
void Downloader::startTrayHintTimer(std::optional<TrayHintPacer::Wait> wait)
{
    if (!wait)
        return;
    view_.setTimerInterval(DownloaderTimer::TrayHint, static_cast<std::uint32_t>(wait->count()));
    view_.setTimerActive(DownloaderTimer::TrayHint, false);
    view_.setTimerActive(DownloaderTimer::TrayHint, true);
}

void Downloader::announceArrival(const std::string& fileName)
{
    checkArrivals_.push_back(fileName);
    tray_.announceArrivals(checkArrivals_);
}

// A box of the server work pops up only over a window the user has before
// the desktop; while the window sits in the tray its text goes to the
// status bar and the tray's notice instead. Either way it is a failure the
// tray shows.
void Downloader::reportTrouble(MessageKind kind, const std::string& text)
{
    trouble_.failed(text);
    if (tray_.windowInTray())
        view_.showStatus(text);
    else
        dialogs_.showNotice(kind, text);
}

// An error that ended a task: the tray shows it, and while the window sits
// in the tray it is told in the status bar rather than in the handler
// boundary's box. False when the box is to tell it (the error passes on).
bool Downloader::failedTaskTold(const std::exception& error)
{
    if (StopRequested() || dynamic_cast<const StopRequest*>(&error))
        return false;
    const std::string text = std::string("[!] ") + error.what();
    trouble_.failed(text);
    if (!tray_.windowInTray())
        return false;
    view_.showStatus(text);
    return true;
}

// Whether the last list holds a file that failed and has not arrived since.
bool Downloader::listsFailedFiles() const
{
    for (int i = 1; i <= files_.serverFileCount(); ++i) {
        if (delivery_.failedBefore(files_.at(i)))
            return true;
    }
    return false;
}

} // namespace vexo
