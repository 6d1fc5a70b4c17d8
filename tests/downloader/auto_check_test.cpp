// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/downloader_events.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/script_server.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace vexo {
namespace {

// The handlers over the fake, called as the window calls them.
class AutoCheckTest : public test::CheckFixture {
protected:
    void typePeriod(const std::string& text) { d.changeAutoCheckPeriod(text); }
};

// Guards the grid as start-up leaves it: its title row, not yet a header.
TEST_F(AutoCheckTest, StartShowsTheGridTitles)
{
    EXPECT_EQ(gridRows(), 1);
    EXPECT_EQ(cell(0, 0), "Имя Файла");
    EXPECT_EQ(cell(1, 0), "Размер");
    EXPECT_EQ(ops.serverFiles.fixedRows, 0);
}

// Guards the box and the tray item kept in step, both switching the
// automatic check.
TEST_F(AutoCheckTest, AutoOAndTheTrayItemFollowEachOther)
{
    d.setAutoCheck(true);
    EXPECT_TRUE(ops.autoCheckMarked);
    EXPECT_TRUE(ops.autoCheckShown);
    EXPECT_TRUE(timerActive(DownloaderTimer::AutoCheck));

    // Choosing the item toggles its mark; the box follows.
    d.setAutoCheck(false);
    EXPECT_FALSE(ops.autoCheckShown);
    EXPECT_FALSE(ops.autoCheckMarked);
    EXPECT_FALSE(timerActive(DownloaderTimer::AutoCheck));
    d.setAutoCheck(true);
    EXPECT_TRUE(ops.autoCheckShown);
    EXPECT_TRUE(timerActive(DownloaderTimer::AutoCheck));

    // Switching it to what it is changes nothing.
    ops.log.clear();
    d.setAutoCheck(true);
    EXPECT_TRUE(ops.log.empty());
}

// Guards the period box: never below 15, a pasted number taken whole,
// an empty or non-numeric text back to 15, and a period beyond the timer's
// range clamped rather than wrapped.
TEST_F(AutoCheckTest, AosecIsNeverBelowFifteenAndNeverWraps)
{
    typePeriod("5");
    EXPECT_EQ(ops.autoCheckPeriod, "15");
    EXPECT_EQ(timerInterval(DownloaderTimer::AutoCheck), 15000u);
    typePeriod("120");
    EXPECT_EQ(timerInterval(DownloaderTimer::AutoCheck), 120000u);
    typePeriod("");
    EXPECT_EQ(ops.autoCheckPeriod, "15");
    typePeriod("abc");
    EXPECT_EQ(ops.autoCheckPeriod, "15");
    typePeriod("9999999999");
    EXPECT_EQ(ops.autoCheckPeriod, "15");
    // Editing that ends on a lone digit.
    typePeriod("1");
    EXPECT_EQ(ops.autoCheckPeriod, "15");
    typePeriod("4294968");
    EXPECT_EQ(timerInterval(DownloaderTimer::AutoCheck), std::numeric_limits<std::uint32_t>::max());
    typePeriod("2147483647");
    EXPECT_EQ(timerInterval(DownloaderTimer::AutoCheck), std::numeric_limits<std::uint32_t>::max());
}

// Guards "Автопроверка" and its period forgotten between starts: read at
// start-up without a write (a period below 15 counts as 15, one that is no
// number as 60), never switched on by an unattended run, and written when
// they change.
TEST_F(AutoCheckTest, SwitchAndPeriodAreKeptForLaterStarts)
{
    const std::tuple<const char*, const char*, bool, bool, std::string> starts[] = {{"", "", false, false, "60"},
                                                                                    {"1", "5", false, true, "15"},
                                                                                    {"0", "-30", false, false, "15"},
                                                                                    {"1", "abc", false, true, "60"},
                                                                                    {"1", "120", true, false, "120"}};
    for (const auto& [on, period, unattended, expectedOn, expectedPeriod] : starts) {
        Session later;
        later.setCommandLine(CommandLine{unattended, false, false, std::nullopt});
        SettingsStore& stored = later.openSettings(dir.file(std::string(on) + period + ".INI"));
        stored.writeStrings({{settings::kAutoCheck, on}, {settings::kAutoCheckPeriod, period}});
        test::FakeViews views;
        Downloader{later, views, views, views, views}.takeStoredAutoCheck();
        EXPECT_EQ(
            std::tuple(views.autoCheckMarked, views.timer(DownloaderTimer::AutoCheck).active, views.autoCheckPeriod),
            std::tuple(expectedOn, expectedOn, expectedPeriod));
        EXPECT_EQ(stored.readString(settings::kAutoCheckPeriod, "?"), period);
    }
    d.setAutoCheck(true);
    typePeriod("7");
    EXPECT_EQ(std::pair(settings().readBool(settings::kAutoCheck), settings().readInteger(settings::kAutoCheckPeriod)),
              std::pair(true, 15));
}

// Guards a period box that fights the typing: the floor of 15 waits until
// the editing ends (Enter or the focus leaving, or a second after the last
// keystroke on the test's clock), so "10" typed over "60" never becomes
// "150" and "20" can be typed digit by digit; until then the period stays.
TEST_F(AutoCheckTest, PeriodTakesEffectWhenTheEditingEnds)
{
    std::uint32_t now = 0;
    std::optional<std::uint32_t> due;
    ops.onTimerChange = [&](DownloaderTimer) {
        const test::FakeViews::TimerState typing = ops.timer(DownloaderTimer::PeriodTyping);
        due = typing.active ? std::optional(now + typing.interval) : std::nullopt;
    };
    const auto pass = [&](std::uint32_t length) {
        now += length;
        if (due && *due <= now)
            d.finishAutoCheckPeriod();
    };
    // Keystrokes (a pause in ms, the box's text), Enter (else a pause),
    // then the period and the box's text ("" while it keeps what was typed).
    using Keys = std::vector<std::pair<std::uint32_t, std::string>>;
    const std::tuple<Keys, bool, std::uint32_t, std::string> typings[] = {{{{0, "1"}, {200, "10"}}, true, 15, "15"},
                                                                          {{{0, "2"}, {900, "20"}}, false, 20, ""},
                                                                          {{{0, ""}}, false, 15, "15"}};
    for (const auto& [keys, enter, period, shown] : typings) {
        typePeriod("60");
        ops.autoCheckPeriod.clear();
        for (const auto& [pause, text] : keys) {
            pass(pause);
            d.typeAutoCheckPeriod(text);
        }
        pass(999);
        EXPECT_EQ(timerInterval(DownloaderTimer::AutoCheck), 60000u);
        enter ? d.finishAutoCheckPeriod() : pass(1);
        EXPECT_EQ(std::tuple(timerInterval(DownloaderTimer::AutoCheck), ops.autoCheckPeriod,
                             settings().readInteger(settings::kAutoCheckPeriod)),
                  std::tuple(1000 * period, shown, static_cast<std::int32_t>(period)));
    }
}

// Guards the runner's period from "Refresh": read at every tick, 0 or less
// stops the ticks, a period beyond the timer's range is clamped.
TEST_F(AutoCheckTest, RefreshSetsTheRunnersPeriodClamped)
{
    const std::vector<std::pair<std::string, std::uint32_t>> cases =
        {{"", 5000}, {"10", 10000}, {"0", 0}, {"-5", 0}, {"5000000", std::numeric_limits<std::uint32_t>::max()}};
    for (const auto& [stored, expected] : cases) {
        if (!stored.empty())
            settings().writeString("Server", "Refresh", stored);
        d.tick();
        EXPECT_EQ(timerInterval(DownloaderTimer::TaskRunner), expected) << stored;
    }
}

// Guards the automatic check's tick: the tray hint, the period from the
// box (60 s if it is no number), and a check, but no second one while an
// unreachable server keeps its check queued (each would list the same
// files again once the server is back).
TEST_F(AutoCheckTest, AutomaticCheckTimerQueuesOneCheckPerTick)
{
    usePort(test::RefusingPort());
    // The box cannot hold one (changeAutoCheckPeriod makes it "15").
    EXPECT_EQ(AutoCheckInterval("not a number"), 60000u);
    d.autoCheckTick();
    EXPECT_EQ(timerInterval(DownloaderTimer::AutoCheck), 60000u);
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 0");
    d.tick();
    EXPECT_EQ(ops.status, "[!] Ошибка соединения");
    d.changeAutoCheckPeriod("30");
    ops.setTimerInterval(DownloaderTimer::AutoCheck, 0);
    d.autoCheckTick();
    EXPECT_EQ(timerInterval(DownloaderTimer::AutoCheck), 30000u);
    EXPECT_EQ(ops.queuedTasks, "get ");
}

// Guards the manual checks: a click queues a check, a double click no
// second one, the tray item also while the button is disabled, and the
// runner restarts its countdown.
TEST_F(AutoCheckTest, ClicksQueueOneCheckAtATime)
{
    d.queueCheck();
    d.queueCheck();
    EXPECT_EQ(ops.queuedTasks, "get ");
    d.stop();
    ops.setServerControlsEnabled(false);
    ops.setTimerActive(DownloaderTimer::TaskRunner, false);
    d.queueCheck();
    EXPECT_EQ(ops.queuedTasks, "get ");
    EXPECT_TRUE(timerActive(DownloaderTimer::TaskRunner));
}

// Guards the status bar click: the queue empties, the runner runs, panel 1
// blanks and the automatic check follows its box.
TEST_F(AutoCheckTest, StatusBarClickEmptiesTheQueue)
{
    d.queueCheck();
    d.queue().append(ServerTask::Download({"1", "http://h/1", "ref", "1"}));
    ops.setTimerActive(DownloaderTimer::TaskRunner, false);
    d.setAutoCheck(true);
    ops.setTimerActive(DownloaderTimer::AutoCheck, false);
    d.stop();
    EXPECT_TRUE(d.queue().empty());
    EXPECT_EQ(ops.queuedTasks, "");
    EXPECT_TRUE(timerActive(DownloaderTimer::TaskRunner));
    EXPECT_TRUE(timerActive(DownloaderTimer::AutoCheck));
    EXPECT_GE(ops.pumps, 1);
}

} // namespace
} // namespace vexo
