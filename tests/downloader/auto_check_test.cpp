#include "downloader/auto_check.h"
#include "tests/downloader/check_fixture.h"
#include "tests/downloader/script_server.h"

#include <gtest/gtest.h>

#include <limits>

namespace vexo {
namespace {

// The handlers over the fake, each control's change wired as the window wires it.
class AutoCheckTest : public test::CheckFixture {
protected:
    AutoCheckTest()
    {
        wireCheckControls();
    }
    void typeAosec(const std::string& text) { ops.setText(Control::Aosec, text); }
};

// Guards the box and the tray item kept in step, both switching the
// automatic check.
TEST_F(AutoCheckTest, AutoOAndTheTrayItemFollowEachOther)
{
    ops.setChecked(Control::AutoO, true);
    EXPECT_TRUE(ops.isChecked(Control::N4));
    EXPECT_TRUE(ops.isTimerActive(Timer::Bigtimer));

    // Choosing the item toggles its mark; the box follows.
    ops.setChecked(Control::N4, false);
    EXPECT_FALSE(ops.isChecked(Control::AutoO));
    EXPECT_FALSE(ops.isTimerActive(Timer::Bigtimer));
    ops.setChecked(Control::N4, true);
    EXPECT_TRUE(ops.isChecked(Control::AutoO));
    EXPECT_TRUE(ops.isTimerActive(Timer::Bigtimer));
}

// Guards the period box: never below 15, a pasted number taken whole,
// an empty or non-numeric text back to 15, and a period beyond the timer's
// range clamped rather than wrapped.
TEST_F(AutoCheckTest, AosecIsNeverBelowFifteenAndNeverWraps)
{
    typeAosec("5");
    EXPECT_EQ(ops.text(Control::Aosec), "15");
    EXPECT_EQ(ops.timerInterval(Timer::Bigtimer), 15000u);
    typeAosec("120");
    EXPECT_EQ(ops.timerInterval(Timer::Bigtimer), 120000u);
    typeAosec("");
    EXPECT_EQ(ops.text(Control::Aosec), "15");
    typeAosec("abc");
    EXPECT_EQ(ops.text(Control::Aosec), "15");
    typeAosec("9999999999");
    EXPECT_EQ(ops.text(Control::Aosec), "15");
    // Typing digit by digit into an empty box is cut short at the first digit.
    typeAosec("1");
    EXPECT_EQ(ops.text(Control::Aosec), "15");
    typeAosec("4294968");
    EXPECT_EQ(ops.timerInterval(Timer::Bigtimer), std::numeric_limits<std::uint32_t>::max());
    typeAosec("2147483647");
    EXPECT_EQ(ops.timerInterval(Timer::Bigtimer), std::numeric_limits<std::uint32_t>::max());
}

// Guards the runner's period from "Refresh": read at every tick, 0 or less
// stops the ticks, a period beyond the timer's range is clamped.
TEST_F(AutoCheckTest, RefreshSetsTheRunnersPeriodClamped)
{
    const std::vector<std::pair<std::string, std::uint32_t>> cases = {
        {"", 5000}, {"10", 10000}, {"0", 0}, {"-5", 0}, {"5000000", std::numeric_limits<std::uint32_t>::max()}};
    for (const auto& [stored, expected] : cases) {
        if (!stored.empty())
            settings().WriteString("Server", "Refresh", stored);
        TimerTimer(d);
        EXPECT_EQ(ops.timerInterval(Timer::Timer), expected) << stored;
    }
}

// Guards the automatic check's tick: the tray hint, the period from the
// box (60 s if it is no number), and one more check per tick, also while
// an unreachable server keeps its check queued.
TEST_F(AutoCheckTest, BigtimerQueuesOneCheckPerTick)
{
    usePort(test::RefusingPort());
    ops.state(Control::Aosec).text = "not a number";
    BigtimerTimer(d);
    EXPECT_EQ(ops.timerInterval(Timer::Bigtimer), 60000u);
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 0");
    TimerTimer(d);
    EXPECT_EQ(ops.statusText(0), "[!] Ошибка соединения");
    ops.state(Control::Aosec).text = "30";
    BigtimerTimer(d);
    EXPECT_EQ(ops.timerInterval(Timer::Bigtimer), 30000u);
    EXPECT_EQ(ops.statusText(1), "get get ");
}

// Guards the manual checks: each click queues one check, the tray item
// also while the button is disabled, and the runner restarts its countdown.
TEST_F(AutoCheckTest, EveryClickQueuesACheck)
{
    GetListClick(d);
    GetListClick(d);
    ops.setEnabled(Control::GetList, false);
    N2Click(d);
    EXPECT_EQ(ops.statusText(1), "get get get ");
    EXPECT_TRUE(ops.isTimerActive(Timer::Timer));
}

// Guards the status bar click: the queue empties, the runner runs, panel 1
// blanks and the automatic check follows its box.
TEST_F(AutoCheckTest, StatusBarClickEmptiesTheQueue)
{
    GetListClick(d);
    PushTask(d.queue, ops, "1", tkDownload);
    ops.setTimerActive(Timer::Timer, false);
    ops.setChecked(Control::AutoO, true);
    ops.setTimerActive(Timer::Bigtimer, false);
    StatusBClick(d);
    EXPECT_TRUE(d.queue.empty());
    EXPECT_EQ(ops.statusText(1), "");
    EXPECT_TRUE(ops.isTimerActive(Timer::Timer));
    EXPECT_TRUE(ops.isTimerActive(Timer::Bigtimer));
    EXPECT_GE(ops.pumps, 1);
}

} // namespace
} // namespace vexo
