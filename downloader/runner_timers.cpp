// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/runner_timers.h"

#include "downloader/downloader.h"
#include "downloader/downloader_view.h"

namespace vexo {

void ShowQueuedTasks(Downloader& d)
{
    std::string words = d.queue.taskWords();
    if (words == d.shownTaskWords)
        return;
    d.view.showQueuedTasks(words);
    d.shownTaskWords = std::move(words);
}

void HoldRunner(Downloader& d)
{
    d.view.setTimerActive(DownloaderTimer::TaskRunner, false);
}

void ReleaseRunner(Downloader& d)
{
    d.view.setTimerActive(DownloaderTimer::TaskRunner, true);
    if (d.queue.empty())
        d.view.setTimerActive(DownloaderTimer::AutoCheck, d.autoCheck.on);
}

void RestartRunner(Downloader& d)
{
    if (d.taskRunning)
        return;
    d.view.setTimerActive(DownloaderTimer::TaskRunner, false);
    d.view.setTimerActive(DownloaderTimer::TaskRunner, true);
}

} // namespace vexo
