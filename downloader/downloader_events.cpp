// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/downloader_events.h"

#include "base/int_text.h"
#include "base/session.h"
#include "base/size_text.h"
#include "downloader/downloader.h"
#include "downloader/runner_timers.h"
#include "downloader/task_runner.h"
#include "downloader/tray_hint.h"

#include <limits>

namespace vexo {

namespace {

constexpr std::int32_t kShortestAutoCheck = 15;
constexpr std::int64_t kDefaultAutoCheck = 60;

// A check that waits (or runs: it stays at the head until it ends) lists
// the server anyway; a second one behind it would list the same files and
// fetch them again.
void QueueCheckOnce(Downloader& d)
{
    if (d.queue.holdsCheck())
        return;
    d.queue.append(ServerTask::Check());
    ShowQueuedTasks(d);
    RestartRunner(d);
}

} // namespace

std::uint32_t SecondsToInterval(std::int64_t seconds)
{
    constexpr std::int64_t kLongest = std::numeric_limits<std::uint32_t>::max();
    if (seconds <= 0)
        return 0;
    if (seconds > kLongest / 1000)
        return static_cast<std::uint32_t>(kLongest);
    return static_cast<std::uint32_t>(seconds * 1000);
}

std::uint32_t AutoCheckInterval(const std::string& text)
{
    const std::optional<std::int32_t> seconds = ParseInt32(text);
    return SecondsToInterval(seconds ? *seconds : kDefaultAutoCheck);
}

void ShowDownloaderStart(Downloader& d)
{
    d.view.showServerFiles(d.table);
}

void RunnerTick(Downloader& d)
{
    if (d.taskRunning)
        return;
    const std::int32_t refresh = d.session.settings().readInteger(settings::kRefresh);
    d.view.setTimerInterval(DownloaderTimer::TaskRunner, SecondsToInterval(refresh));
    RunNextTask(d);
}

void QueueServerCheck(Downloader& d)
{
    // The user asks: files that failed before are tried again at once.
    d.delivery.allowAllRetries(d.now());
    QueueCheckOnce(d);
}

void SetAutoCheck(Downloader& d, bool on)
{
    if (d.autoCheck.on == on)
        return;
    d.autoCheck.on = on;
    d.view.showAutoCheck(on);
    d.tray.markAutoCheck(on);
    d.view.setTimerActive(DownloaderTimer::AutoCheck, on);
}

void AutoCheckTick(Downloader& d)
{
    UpdateTrayHint(d.session, d.tray, d.delivery.waitingCount());
    d.view.setTimerInterval(DownloaderTimer::AutoCheck, AutoCheckInterval(d.autoCheck.period));
    QueueCheckOnce(d);
}

void ShowFetchProgress(Downloader& d)
{
    const FetchProgress& progress = d.progress;
    d.view.showFetchProgress(progress.fetchedBytes, progress.fetchTotal);
    d.view.showFetchStatus("Скачано " + SizeToText(progress.fetchedBytes) + " из " + SizeToText(progress.fetchTotal));
    UpdateTrayHint(d.session, d.tray, d.delivery.waitingCount());
    d.dialogs.pump();
}

void ChangeAutoCheckPeriod(Downloader& d, const std::string& text)
{
    d.autoCheck.period = text;
    const std::optional<std::int32_t> seconds = ParseInt32(text);
    if (!seconds || *seconds < kShortestAutoCheck) {
        d.autoCheck.period = std::to_string(kShortestAutoCheck);
        d.view.showAutoCheckPeriod(d.autoCheck.period);
    }
    d.view.setTimerInterval(DownloaderTimer::AutoCheck, AutoCheckInterval(d.autoCheck.period));
}

void ClearTaskQueue(Downloader& d)
{
    d.queue.clear();
    ShowQueuedTasks(d);
    // A task that runs meanwhile (the click came through one of its pumps)
    // still ends, and its tick sets the timers then.
    if (!d.taskRunning)
        ReleaseRunner(d);
    d.dialogs.pump();
}

void RemovalPageLoaded(Downloader& d, const std::string& address, bool loaded)
{
    if (d.delivery.removalLoaded(address, loaded))
        d.view.showStatus("[!] Файл не удалён с сервера (" + address + "), повтор при следующей проверке");
}

} // namespace vexo
