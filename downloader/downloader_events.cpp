// SPDX-License-Identifier: GPL-3.0-or-later
// The handlers of the downloader's controls, tray items and timers.
#include "downloader/downloader_events.h"

#include "base/int_text.h"
#include "base/session.h"
#include "base/size_text.h"
#include "downloader/downloader.h"
#include "downloader/fetch_pace_text.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace vexo {

namespace {

constexpr std::int32_t kShortestAutoCheck = 15;
constexpr std::int64_t kDefaultAutoCheck = 60;
// The pause after the last keystroke that ends the editing of the period box.
constexpr std::uint32_t kPeriodTypingPause = 1000;

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

// A check that waits (or runs: it stays at the head until it ends) lists
// the server anyway; a second one behind it would list the same files and
// fetch them again.
void Downloader::queueCheckOnce()
{
    if (queue_.holdsCheck())
        return;
    queue_.append(ServerTask::Check());
    showQueuedTasks();
    restartRunner();
}

void Downloader::showStart()
{
    view_.showServerFiles(table_);
}

void Downloader::tick()
{
    if (taskRunning_)
        return;
    const std::int32_t refresh = session_.settings().readInteger(settings::kRefresh);
    view_.setTimerInterval(DownloaderTimer::TaskRunner, SecondsToInterval(refresh));
    runTasks();
}

void Downloader::queueCheck()
{
    // The user asks: files that failed before are tried again at once.
    delivery_.allowAllRetries(now_());
    queueCheckOnce();
}

void Downloader::switchAutoCheck(bool on)
{
    autoCheck_.on = on;
    view_.showAutoCheck(on);
    tray_.markAutoCheck(on);
    view_.setTimerActive(DownloaderTimer::AutoCheck, on);
}

void Downloader::setAutoCheck(bool on)
{
    if (autoCheck_.on == on)
        return;
    // Switched first: a switch that cannot be stored still works this run.
    switchAutoCheck(on);
    session_.settings().writeBool(settings::kAutoCheck, on);
}

void Downloader::takeStoredAutoCheck()
{
    const SettingsStore& stored = session_.settings();
    autoCheck_.period = std::to_string(std::max(stored.readInteger(settings::kAutoCheckPeriod), kShortestAutoCheck));
    view_.showAutoCheckPeriod(autoCheck_.period);
    if (!session_.commandLine().unattended && stored.readBool(settings::kAutoCheck) && !autoCheck_.on)
        switchAutoCheck(true);
}

void Downloader::autoCheckTick()
{
    showTrayHint();
    view_.setTimerInterval(DownloaderTimer::AutoCheck, AutoCheckInterval(autoCheck_.period));
    queueCheckOnce();
}

void ShowFetchProgress(DownloaderView& view, const FetchProgress& progress)
{
    view.showFetchProgress(progress.fetchedBytes, progress.fetchTotal);
    view.showFetchStatus("Скачано " + SizeToText(progress.fetchedBytes) + " из " + SizeToText(progress.fetchTotal));
}

void Downloader::showFetchProgress()
{
    speed_.sample(progress_.fetchedBytes - progress_.keptBytes, now_());
    ShowFetchProgress(view_, progress_);
    view_.showFetchSpeed(FetchPaceText(progress_, speed_.bytesPerSecond()));
    showTrayHint();
    dialogs_.pump();
}

void Downloader::typeAutoCheckPeriod(const std::string& text)
{
    // The floor of 15 waits for the editing to end: "20" is typed through
    // "2", and "10" typed over a selected "60" must not become "150".
    typedPeriod_ = text;
    view_.setTimerInterval(DownloaderTimer::PeriodTyping, kPeriodTypingPause);
    view_.setTimerActive(DownloaderTimer::PeriodTyping, false);
    view_.setTimerActive(DownloaderTimer::PeriodTyping, true);
}

void Downloader::finishAutoCheckPeriod()
{
    view_.setTimerActive(DownloaderTimer::PeriodTyping, false);
    if (const std::optional<std::string> typed = std::exchange(typedPeriod_, std::nullopt))
        changeAutoCheckPeriod(*typed);
}

void Downloader::changeAutoCheckPeriod(const std::string& text)
{
    typedPeriod_.reset();
    const std::optional<std::int32_t> before = ParseInt32(autoCheck_.period);
    autoCheck_.period = text;
    std::optional<std::int32_t> seconds = ParseInt32(text);
    if (!seconds || *seconds < kShortestAutoCheck) {
        seconds = kShortestAutoCheck;
        autoCheck_.period = std::to_string(kShortestAutoCheck);
        view_.showAutoCheckPeriod(autoCheck_.period);
    }
    view_.setTimerInterval(DownloaderTimer::AutoCheck, AutoCheckInterval(autoCheck_.period));
    if (seconds != before)
        session_.settings().writeInteger(settings::kAutoCheckPeriod, *seconds);
}

void Downloader::stop()
{
    int dropped = queue_.taskCount();
    if (carriedOut_ != kNoTask && queue_.headId() == carriedOut_)
        --dropped;
    queue_.clear();
    view_.showStatus("Отменено заданий: " + std::to_string(dropped));
    showQueuedTasks();
    // A task that runs meanwhile (the click came through one of its pumps)
    // still ends, and its tick sets the timers then.
    if (!taskRunning_)
        releaseRunner();
    dialogs_.pump();
}

void Downloader::stopDownload()
{
    // Taken at the fetch's next pump (stopIfAsked).
    if (stoppable_)
        stopAsked_ = true;
}

void Downloader::removalPageLoaded(const std::string& address, bool loaded)
{
    if (delivery_.removalLoaded(address, loaded))
        view_.showStatus("[!] Файл не удалён с сервера (" + address + "), повтор при следующей проверке");
}

} // namespace vexo
