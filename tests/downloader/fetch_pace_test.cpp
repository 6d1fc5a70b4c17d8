// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/fetch_pace_text.h"
#include "downloader/speed_meter.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/script_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iterator>
#include <vector>

namespace vexo {
namespace {

using namespace std::chrono_literals;

constexpr std::int64_t kKiB = 1024;
constexpr std::int64_t kMiB = 1024 * kKiB;

// One progress tick: the bytes this transfer had brought at `at` (from the
// start); or, with `newTransfer`, a new file begun there.
struct Tick {
    std::chrono::milliseconds at;
    std::int64_t transferred = 0;
    bool newTransfer = false;
};

// Ticks every 100 ms from `from` up to `to`, the transfer growing by
// `blocks` in turn.
void AddTicks(std::vector<Tick>& ticks, std::chrono::milliseconds from, std::chrono::milliseconds to,
              std::vector<std::int64_t> blocks, std::int64_t transferred = 0)
{
    for (std::size_t i = 0; from + i * 100ms <= to; ++i) {
        ticks.push_back({from + i * 100ms, transferred});
        transferred += blocks[i % blocks.size()];
    }
}

std::vector<Tick> Ticks(const std::function<void(std::vector<Tick>&)>& add)
{
    std::vector<Tick> ticks;
    add(ticks);
    return ticks;
}

// Guards a speed that jumps with every block, counts bytes of an earlier
// transfer or resume, or stays up while nothing arrives, and a time left
// made of nonsense where the size or the speed is not known.
TEST(SpeedMeterTest, SpeedAndTimeLeftAreSteadyAndOfThisTransferOnly)
{
    const std::int64_t steady = 600 * kKiB; // per 100 ms: 5.86 MiB/s
    const struct {
        const char* what;
        std::vector<Tick> ticks;
        FetchProgress progress; // as the last tick sees it
        const char* shown;
    } cases[] = {
        {"uneven blocks average out",
         Ticks([&](auto& t) {
             AddTicks(t, 0ms, 3000ms, {500 * kKiB, 700 * kKiB});
         }),
         {63 * kMiB, 286 * kMiB},
         "5,8 Мб/с, осталось 39 с"},
        {"only the last five seconds count",
         Ticks([&](auto& t) {
             AddTicks(t, 0ms, 7900ms, {2 * steady});
             AddTicks(t, 8000ms, 10000ms, {steady}, 80 * 2 * steady);
         }),
         {0, 2000 * kMiB},
         "9,3 Мб/с, осталось 3 мин 34 с"},
        {"no speed in the first second",
         Ticks([&](auto& t) { AddTicks(t, 0ms, 900ms, {steady}); }),
         {5 * kMiB, 286 * kMiB},
         ""},
        {"unknown size: no time left",
         Ticks([&](auto& t) { AddTicks(t, 0ms, 2000ms, {steady}); }),
         {12 * kMiB, 0},
         "5,8 Мб/с"},
        {"more than the size: no time left",
         Ticks([&](auto& t) { AddTicks(t, 0ms, 2000ms, {steady}); }),
         {12 * kMiB, 10 * kMiB},
         "5,8 Мб/с"},
        {"a stall lowers the speed",
         Ticks([&](auto& t) {
             AddTicks(t, 0ms, 2000ms, {steady});
             AddTicks(t, 2100ms, 5000ms, {0}, 20 * steady);
         }),
         {12 * kMiB, 286 * kMiB},
         "2,3 Мб/с, осталось 1 мин 57 с"},
        {"a long stall brings it to nothing",
         Ticks([&](auto& t) {
             AddTicks(t, 0ms, 2000ms, {steady});
             AddTicks(t, 2100ms, 8000ms, {0}, 20 * steady);
         }),
         {12 * kMiB, 286 * kMiB},
         "0 б/с"},
        {"a new file starts afresh",
         Ticks([&](auto& t) {
             AddTicks(t, 0ms, 1000ms, {10});
             t.push_back({1000ms, 0, true});
             AddTicks(t, 1100ms, 2600ms, {steady}, steady);
         }),
         {9 * kMiB, 9 * kMiB + 300 * kKiB},
         "5,8 Мб/с, осталось 1 с"},
        {"a resume after a break starts afresh",
         Ticks([&](auto& t) {
             AddTicks(t, 0ms, 3000ms, {4 * steady});
             AddTicks(t, 3100ms, 4600ms, {steady});
         }),
         {80 * kMiB, 90 * kMiB},
         "5,8 Мб/с, осталось 2 с"},
        {"slow lines in their own units",
         Ticks([&](auto& t) {
             AddTicks(t, 0ms, 10000ms, {1 * kKiB + 200, 1 * kKiB + 300});
         }),
         {1 * kMiB, 3 * kMiB},
         "12 Кб/с, осталось 2 мин 45 с"},
        {"a trickle in bytes, hours left",
         Ticks([&](auto& t) { AddTicks(t, 0ms, 10000ms, {50}); }),
         {0, 2 * kMiB},
         "500 б/с, осталось 1 ч 9 мин"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpeedMeter meter;
        for (const Tick& tick : c.ticks) {
            if (tick.newTransfer)
                meter.restart();
            else
                meter.sample(tick.transferred, std::chrono::steady_clock::time_point(tick.at));
        }
        EXPECT_EQ(FetchPaceText(c.progress, meter.bytesPerSecond()), c.shown);
    }
}

// The runner over the fake window with a clock the test moves, the
// progress timer ticking at every pump of the fetch.
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
// most once a second as the figures move, and gone at once when the
// download ends.
TEST_F(TrayTipTest, DownloadLineIsPacedAndGoesWithTheDownload)
{
    // Four pieces of 1000 bytes, each let go after 20 ticks (2 s).
    std::atomic<int> released = 0;
    std::atomic<int> sent = 0;
    test::ScriptedReply slow{"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 4000\r\n\r\n"
                                 + std::string(1000, 'a'),
                             false,
                             false,
                             {std::string(1000, 'b'), std::string(1000, 'c'), std::string(1000, 'd')}};
    slow.goOn = [&] {
        if (sent >= released)
            return false;
        ++sent;
        return true;
    };
    test::ScriptServer web({slow});
    const test::ScriptServer listing(
        test::ListAnswer({{"slow.avi", "http://127.0.0.1:" + std::to_string(web.port()) + "/f", "r", "4000"}}));
    usePort(listing.port());

    struct Sent {
        std::chrono::steady_clock::time_point at;
        std::string hint;
    };
    std::vector<Sent> hints;
    int ticks = 0;
    bool inTick = false;
    ops.onPump = [&] {
        if (inTick || !timerActive(DownloaderTimer::FetchProgress))
            return;
        inTick = true;
        clock += 100ms;
        d.showFetchProgress();
        if (hints.empty() || hints.back().hint != ops.trayHint)
            hints.push_back({clock, ops.trayHint});
        if (++ticks % 20 == 0)
            ++released;
        inTick = false;
    };
    queueCheck();
    d.tick();

    ASSERT_EQ(d.downloadedThisSession(), 1);
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 1");
    EXPECT_EQ(ops.fetchSpeed, "");
    int withLine = 0;
    for (std::size_t i = 0; i < hints.size(); ++i) {
        SCOPED_TRACE(hints[i].hint);
        if (hints[i].hint.find("\nslow.avi: ") == std::string::npos)
            continue;
        ++withLine;
        EXPECT_TRUE(hints[i].hint.starts_with("Vexorama\nЗа сеанс: 0\nslow.avi: "));
        if (i > 0 && hints[i - 1].hint.find("\nslow.avi: ") != std::string::npos) {
            EXPECT_GE(hints[i].at - hints[i - 1].at, 1s);
        }
    }
    EXPECT_GE(withLine, 3);
    const auto shown = [&](const std::string& line) {
        return std::any_of(hints.begin(), hints.end(),
                           [&](const Sent& s) { return s.hint.find(line) != std::string::npos; });
    };
    EXPECT_TRUE(shown("\nslow.avi: 50%, ")) << hints.back().hint;
    EXPECT_TRUE(shown(" б/с"));
    // Each send changed the tip.
    std::vector<std::string> sends;
    std::copy_if(ops.log.begin(), ops.log.end(), std::back_inserter(sends),
                 [](const std::string& entry) { return entry.starts_with("tray hint "); });
    EXPECT_EQ(std::adjacent_find(sends.begin(), sends.end()), sends.end());
}

} // namespace
} // namespace vexo
