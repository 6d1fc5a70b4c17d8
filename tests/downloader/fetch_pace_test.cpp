// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/fetch_pace_text.h"
#include "downloader/speed_meter.h"
#include "downloader/tray_hint_pacer.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/script_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace vexo {
namespace {

using namespace std::chrono_literals;

constexpr std::int64_t kKiB = 1024;
constexpr std::int64_t kMiB = 1024 * kKiB;

// A stretch of progress ticks, one every 100 ms up to `untilMs`, each
// bringing `per` bytes (± `jitter` in turn); it may begin a new file, or
// the same file's transfer over again from nothing.
struct Stretch {
    int untilMs;
    std::int64_t per;
    std::int64_t jitter = 0;
    enum { Going, NewFile, StartsOver } start = Going;
};

// Guards a speed that jumps with every block, counts bytes of an earlier
// file or transfer, or stays up while nothing arrives, and a time left
// made of nonsense where the size or the speed is not known.
TEST(SpeedMeterTest, SpeedAndTimeLeftAreSteadyAndOfThisTransferOnly)
{
    const std::int64_t steady = 600 * kKiB; // per 100 ms: 5.86 MiB/s
    const struct {
        const char* what;
        std::vector<Stretch> stretches;
        FetchProgress progress; // at the last tick
        const char* shown;
    } cases[] = {
        {"uneven blocks", {{3000, steady, 100 * kKiB}}, {63 * kMiB, 286 * kMiB}, "5,8 Мб/с, осталось 39 с"},
        {"the last five seconds",
         {{8000, 2 * steady}, {10000, steady}},
         {0, 2000 * kMiB},
         "9,3 Мб/с, осталось 3 мин 34 с"},
        {"the first second", {{900, steady}}, {5 * kMiB, 286 * kMiB}, ""},
        {"unknown size", {{2000, steady}}, {12 * kMiB, 0}, "5,8 Мб/с"},
        {"a stall", {{2000, steady}, {5000, 0}}, {12 * kMiB, 286 * kMiB}, "2,3 Мб/с, осталось 1 мин 57 с"},
        {"a long stall", {{2000, steady}, {8000, 0}}, {12 * kMiB, 286 * kMiB}, "0 б/с"},
        {"a new file",
         {{1000, 10}, {2600, steady, 0, Stretch::NewFile}},
         {9 * kMiB, 9 * kMiB + 300 * kKiB},
         "5,8 Мб/с, осталось 1 с"},
        {"a transfer over again",
         {{3000, 4 * steady}, {4600, steady, 0, Stretch::StartsOver}},
         {80 * kMiB, 90 * kMiB},
         "5,8 Мб/с, осталось 2 с"},
        {"a trickle", {{10000, 50}}, {0, 2 * kMiB}, "500 б/с, осталось 1 ч 9 мин"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpeedMeter meter;
        std::int64_t transferred = 0;
        int at = 0;
        meter.sample(0, std::chrono::steady_clock::time_point());
        for (const Stretch& stretch : c.stretches) {
            if (stretch.start == Stretch::NewFile)
                meter.restart();
            if (stretch.start != Stretch::Going)
                transferred = 0;
            for (int tick = 0; at < stretch.untilMs; ++tick) {
                at += 100;
                transferred += stretch.per + (tick % 2 == 0 ? -stretch.jitter : stretch.jitter);
                meter.sample(transferred, std::chrono::steady_clock::time_point(std::chrono::milliseconds(at)));
            }
        }
        EXPECT_EQ(FetchPaceText(c.progress, meter.bytesPerSecond()), c.shown);
    }
}

// A tray that notes when each hint reached it, in milliseconds.
struct TimedTray : test::FakeViews {
    int now = 0;
    std::vector<std::pair<int, std::string>> sent;
    void showTrayHint(const std::string& hint) override { sent.emplace_back(now, hint); }
};

// Guards a tray hint sent twice within a second (a download that began or
// ended right after its figures changed), a last hint lost when no offer
// follows it, an unchanged hint sent again, and a timer that ticks early
// (as a coarse one may) letting a hint through too soon.
TEST(TrayHintPacerTest, NeverTwiceInASecondAndTheLastAlwaysArrives)
{
    const struct {
        const char* what;
        std::vector<std::pair<int, const char*>> offers; // when, what
        std::vector<std::pair<int, std::string>> sent;
        int early = 0; // how much sooner than asked the caller's timer ticks
    } cases[] = {
        {"a change right after a send", {{0, "a"}, {300, "b"}}, {{0, "a"}, {1000, "b"}}},
        {"the latest held one goes",
         {{0, "a"}, {200, "b"}, {500, "c"}, {1500, "d"}},
         {{0, "a"}, {1000, "c"}, {2000, "d"}}},
        {"back to the hint shown", {{0, "a"}, {200, "b"}, {400, "a"}}, {{0, "a"}}},
        {"the same hint again", {{0, "a"}, {1500, "a"}, {3000, "a"}}, {{0, "a"}}},
        {"after a quiet second", {{0, "a"}, {1200, "b"}, {1300, "c"}}, {{0, "a"}, {1200, "b"}, {2200, "c"}}},
        {"an early timer", {{0, "a"}, {100, "b"}}, {{0, "a"}, {1000, "b"}}, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TrayHintPacer pacer;
        TimedTray tray;
        std::optional<int> due;
        const auto at = [](int ms) { return std::chrono::steady_clock::time_point(std::chrono::milliseconds(ms)); };
        const auto startTimer = [&](std::optional<TrayHintPacer::Wait> wait) {
            if (wait)
                due = tray.now + std::max(1, static_cast<int>(wait->count()) - c.early);
        };
        const auto tick = [&] {
            tray.now = *std::exchange(due, std::nullopt);
            startTimer(pacer.sendHeld(at(tray.now), tray));
        };
        for (const auto& [ms, hint] : c.offers) {
            while (due && *due <= ms)
                tick();
            tray.now = ms;
            startTimer(pacer.offer(hint, at(ms), tray));
        }
        for (int ticks = 0; due && ticks < 100; ++ticks)
            tick();
        EXPECT_FALSE(due);
        EXPECT_EQ(tray.sent, c.sent);
    }
}

class TrayTipTest : public test::CheckFixture {
protected:
    std::chrono::steady_clock::time_point clock{};
    TrayTipTest()
    {
        d.setClock([this] { return clock; });
    }
};

// Guards the tray tip during a download: a third line with the file, its
// percent and speed after the first two, sent only when it changed and at
// most once a second as the figures move, and gone a second after the last
// tip, by the tip's own timer.
TEST_F(TrayTipTest, DownloadLineIsPacedAndGoesWithTheDownload)
{
    // Four pieces of 1000 bytes, one more let go every 20 progress ticks.
    std::atomic<int> released = 0;
    std::atomic<int> sent = 0;
    test::ScriptedReply slow{"HTTP/1.1 200 OK\r\nContent-Length: 4000\r\n\r\n" + std::string(1000, 'a'), false, false,
                             std::vector<std::string>(3, std::string(1000, 'b'))};
    slow.goOn = [&] {
        if (sent == released)
            return false;
        ++sent;
        return true;
    };
    test::ScriptServer web({slow});
    const test::ScriptServer listing(
        test::ListAnswer({{"slow.avi", "http://127.0.0.1:" + std::to_string(web.port()) + "/f", "r", "4000"}}));
    usePort(listing.port());
    // Each change of the tip, and when: the progress timer ticks at every
    // pump of the fetch, 100 ms apart.
    std::vector<std::pair<std::chrono::steady_clock::time_point, std::string>> tips;
    int ticks = 0;
    bool inTick = false; // the tick's own pump
    ops.onPump = [&] {
        if (inTick || !timerActive(DownloaderTimer::FetchProgress))
            return;
        inTick = true;
        clock += 100ms;
        d.showFetchProgress();
        if (tips.empty() || tips.back().second != ops.trayHint)
            tips.emplace_back(clock, ops.trayHint);
        released = ++ticks / 20;
        inTick = false;
    };
    queueCheck();
    d.tick();
    for (int wait = 0; wait < 3 && timerActive(DownloaderTimer::TrayHint); ++wait) {
        clock += std::chrono::milliseconds(timerInterval(DownloaderTimer::TrayHint));
        d.sendHeldTrayHint();
    }

    ASSERT_EQ(d.downloadedThisSession(), 1);
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 1");
    EXPECT_EQ(ops.fetchSpeed, "");
    const std::string line = "Vexorama\nЗа сеанс: 0\nslow.avi: ";
    for (std::size_t i = 1; i < tips.size(); ++i) {
        if (tips[i - 1].second.starts_with(line) && tips[i].second.starts_with(line)) {
            EXPECT_GE(tips[i].first - tips[i - 1].first, 1s) << tips[i].second;
        }
    }
    const auto shown = [&](const std::string& text) {
        return std::any_of(tips.begin(), tips.end(), [&](const auto& tip) { return tip.second.starts_with(text); });
    };
    EXPECT_TRUE(shown(line + "50%, ")) << tips.size();
    EXPECT_TRUE(shown(line + "75%, "));
    std::vector<std::string> sends;
    std::copy_if(ops.log.begin(), ops.log.end(), std::back_inserter(sends),
                 [](const std::string& entry) { return entry.starts_with("tray hint "); });
    EXPECT_EQ(std::adjacent_find(sends.begin(), sends.end()), sends.end());
}

} // namespace
} // namespace vexo
