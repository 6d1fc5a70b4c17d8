#include "downloader/auto_check.h"

#include "downloader/downloader.h"
#include "base/int_text.h"
#include "base/session.h"
#include "downloader/task_runner.h"
#include "base/tray_hint.h"
#include "base/window_ops.h"

#include <limits>

namespace vexo {

namespace {

constexpr std::int32_t kShortestAutoCheck = 15;
constexpr std::int64_t kDefaultAutoCheck = 60;

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

std::uint32_t AosecInterval(const std::string& text)
{
    const std::optional<std::int32_t> seconds = ParseInt32(text);
    return SecondsToInterval(seconds ? *seconds : kDefaultAutoCheck);
}

void TimerTimer(Downloader& d)
{
    if (d.taskRunning)
        return;
    const std::int32_t refresh = d.session.settings->ReadInteger("Server", "Refresh", 5);
    d.ops.setTimerInterval(Timer::Timer, SecondsToInterval(refresh));
    RunNextTask(d);
}

void GetListClick(Downloader& d)
{
    PushTask(d.queue, d.ops, "is_files", tkCheck);
}

void N2Click(Downloader& d)
{
    GetListClick(d);
}

void AutoOClick(Downloader& d)
{
    const bool on = d.ops.isChecked(Control::AutoO);
    d.ops.setChecked(Control::N4, on);
    d.ops.setTimerActive(Timer::Bigtimer, on);
}

void N4Click(Downloader& d)
{
    d.ops.setChecked(Control::AutoO, d.ops.isChecked(Control::N4));
}

void BigtimerTimer(Downloader& d)
{
    UpdateTrayHint(d.session, d.ops);
    d.ops.setTimerInterval(Timer::Bigtimer, AosecInterval(d.ops.text(Control::Aosec)));
    PushTask(d.queue, d.ops, "is_files", tkCheck);
}

void aosecChange(Downloader& d)
{
    const std::optional<std::int32_t> seconds = ParseInt32(d.ops.text(Control::Aosec));
    if (!seconds || *seconds < kShortestAutoCheck)
        d.ops.setText(Control::Aosec, std::to_string(kShortestAutoCheck));
    d.ops.setTimerInterval(Timer::Bigtimer, AosecInterval(d.ops.text(Control::Aosec)));
}

void StatusBClick(Downloader& d)
{
    d.queue.clear();
    PopTask(d.queue, d.ops, kNoTask);
}

} // namespace vexo
