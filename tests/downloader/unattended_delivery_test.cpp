// SPDX-License-Identifier: GPL-3.0-or-later
// The downloader left alone as a start with "--tray" leaves it, against a
// scripted listing and a scripted web server on loopback: what it fetches
// by itself after a failure, when, and how many boxes it shows. Its timers
// run on a clock the test moves, as the window's timers would tick.
#include "base/settings_keys.h"
#include "downloader/downloader_events.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/script_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::FileExists;
using test::HttpAnswer;
using test::PatternBytes;
using test::ReadFile;
using test::ScriptedReply;
using test::ScriptServer;

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBodySize = 5000;
// Seconds between two runs of the task queue: short, so that a chain of
// trailing checks would show as listings a few seconds apart.
constexpr int kRefresh = 2;

// A connection the web server closes without reading or answering.
const ScriptedReply kDropped{.bytes = {}, .closeAtOnce = true};

// The listing of one file served by the web server at `httpPort`.
std::string ListingOf(const std::string& name, int httpPort)
{
    return "connected\n" + name + "\nhttp://127.0.0.1:" + std::to_string(httpPort) + "/" + name + "\ndel.php?id=1\n"
           + std::to_string(kBodySize) + "\n=END=\n";
}

double SecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// What happened in a run, in seconds from the start, for the failure texts.
std::string Timeline(Clock::time_point start, const std::vector<Clock::time_point>& listings,
                     const std::vector<Clock::time_point>& gets, const std::vector<Clock::time_point>& boxes)
{
    std::ostringstream text;
    text.precision(3);
    text << std::fixed;
    const auto line = [&](const char* what, const std::vector<Clock::time_point>& times) {
        text << what << ':';
        for (const auto time : times)
            text << ' ' << SecondsBetween(start, time);
        text << '\n';
    };
    line("listings", listings);
    line("GETs", gets);
    line("boxes", boxes);
    return text.str();
}

// The downloader as "--tray" starts it: the window's timers as built, the
// automatic check switched on with the box's "60" seconds, the period a
// first start has. Removal mode 3
// keeps every file listed and asks the server for nothing, so the listing
// stays as the script has it. The timers tick on the test's clock, each
// change of state or interval starting the countdown anew, as the window's
// timers do; the listing and the GETs are timed on that clock, those of one
// tick a millisecond apart in the order they came.
class UnattendedDeliveryTest : public test::CheckFixture {
protected:
    Clock::time_point clock{};
    Clock::time_point start{};
    std::vector<Clock::time_point> listings;
    std::vector<Clock::time_point> gets;
    // Each box the downloader has shown, when.
    std::vector<Clock::time_point> boxes;
    // A box that waits for an answer was left open: the task that showed
    // it never ends, and with it the task queue stands still.
    bool heldByABox = false;

    UnattendedDeliveryTest()
    {
        d.setClock([this] { return clock; });
        ops.onTimerChange = [this](DownloaderTimer which) { restart(which); };
        for (const DownloaderTimer which : kTimers)
            restart(which);
    }

    void startInTray(const ScriptServer& listing, const ScriptServer& web, bool answered = true)
    {
        listing_ = &listing;
        web_ = &web;
        usePort(listing.port());
        settings().writeInteger(settings::kRemovalMode, 3);
        settings().writeInteger(settings::kRefresh, kRefresh);
        ops.onMessage = [this, answered](const test::FakeViews::Message&) {
            noteConnections();
            boxes.push_back(clock + std::chrono::milliseconds(sameInstant_++));
            const bool waits = ops.notices == noticesSeen_;
            noticesSeen_ = ops.notices;
            heldByABox = heldByABox || (waits && !answered);
        };
        start = clock;
        d.setAutoCheck(true);
    }

    // Lets the timers tick until `done` holds or `limit` passes since the
    // start; says whether it held.
    bool runUntil(const std::function<bool()>& done, std::chrono::seconds limit)
    {
        while (!done()) {
            if (!tickNext(start + limit))
                return false;
        }
        return true;
    }
    // Lets the timers tick for `length` more.
    void runFor(std::chrono::seconds length)
    {
        const Clock::time_point until = clock + length;
        while (tickNext(until)) {
        }
        clock = until;
    }

private:
    static constexpr DownloaderTimer kTimers[] = {DownloaderTimer::TaskRunner, DownloaderTimer::FetchProgress,
                                                  DownloaderTimer::AutoCheck, DownloaderTimer::PeriodTyping,
                                                  DownloaderTimer::TrayHint};
    std::map<DownloaderTimer, std::optional<Clock::time_point>> due_;
    const ScriptServer* listing_ = nullptr;
    const ScriptServer* web_ = nullptr;
    std::size_t listingsSeen_ = 0;
    std::size_t getsSeen_ = 0;
    int sameInstant_ = 0;
    int noticesSeen_ = 0;

    void restart(DownloaderTimer which)
    {
        const test::FakeViews::TimerState state = ops.timer(which);
        due_[which] = state.active && state.interval > 0
                          ? std::optional(clock + std::chrono::milliseconds(state.interval))
                          : std::nullopt;
    }

    // The tick of the timer due first, if one is due by `until`.
    bool tickNext(Clock::time_point until)
    {
        if (heldByABox)
            return false;
        std::optional<DownloaderTimer> next;
        for (const DownloaderTimer which : kTimers) {
            if (due_[which] && *due_[which] <= until && (!next || *due_[which] < *due_[*next]))
                next = which;
        }
        if (!next)
            return false;
        clock = *due_[*next];
        sameInstant_ = 0;
        due_[*next] = clock + std::chrono::milliseconds(ops.timer(*next).interval);
        switch (*next) {
        case DownloaderTimer::TaskRunner: d.tick(); break;
        case DownloaderTimer::FetchProgress: d.showFetchProgress(); break;
        case DownloaderTimer::AutoCheck: d.autoCheckTick(); break;
        case DownloaderTimer::PeriodTyping: d.finishAutoCheckPeriod(); break;
        case DownloaderTimer::TrayHint: d.sendHeldTrayHint(); break;
        }
        noteConnections();
        return true;
    }

    // Times the connections not yet seen on the test's clock, in the order
    // they came.
    void noteConnections()
    {
        std::vector<std::pair<Clock::time_point, std::vector<Clock::time_point>*>> arrived;
        const std::vector<Clock::time_point> listingTimes = listing_->connectionTimes();
        const std::vector<Clock::time_point> webTimes = web_->connectionTimes();
        for (; listingsSeen_ < listingTimes.size(); ++listingsSeen_)
            arrived.emplace_back(listingTimes[listingsSeen_], &listings);
        for (; getsSeen_ < webTimes.size(); ++getsSeen_)
            arrived.emplace_back(webTimes[getsSeen_], &gets);
        std::sort(arrived.begin(), arrived.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [real, times] : arrived)
            times->push_back(clock + std::chrono::milliseconds(sameInstant_++));
    }
};

// Guards a file whose download failed once never being fetched again by
// itself: a server that drops the first GET, then serves the file. The
// next check in the pause leaves it; the first automatic check after its
// minute fetches it, within about two minutes of the start, and the only
// boxes are those of the first failure: "Ошибка, файл не найден на
// сервере" and, since nothing arrived, its "(Нулевой размер)".
TEST_F(UnattendedDeliveryTest, FileDroppedOnceArrivesByItselfAfterItsPause)
{
    const std::string body = PatternBytes(kBodySize, 11);
    ScriptServer web(std::vector<ScriptedReply>{kDropped, {HttpAnswer("200 OK", body)}});
    ScriptServer listing(ListingOf("once.bin", web.port()));
    startInTray(listing, web);

    const std::string arrived = dir.file("once.bin");
    const bool delivered = runUntil([&] { return FileExists(arrived) && ReadFile(arrived) == body; }, 150s);
    // Boxes shown late (at the retry, or after it) are counted too.
    runFor(2 * std::chrono::seconds(kRefresh) + 1s);
    const std::string timeline = Timeline(start, listings, gets, boxes);
    std::cout << timeline;

    ASSERT_TRUE(delivered) << "the file did not arrive by itself\n" << timeline;
    ASSERT_GE(gets.size(), 2u) << timeline;
    // The pause held: no GET again within the minute.
    EXPECT_GE(SecondsBetween(gets[0], gets[1]), 55.0) << timeline;
    // And the first automatic check after it fetched the file: one period
    // (60 s) after the check that came in the pause, at most.
    EXPECT_LE(SecondsBetween(gets[0], gets[1]), 60.0 + 60.0 + 4 * kRefresh + 5) << timeline;
    EXPECT_LE(boxes.size(), 2u) << timeline;
    EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(), [&](auto box) { return box >= gets[1]; }), 0)
        << "a box after the first failure\n"
        << timeline;
    // The automatic check goes on.
    EXPECT_TRUE(ops.timer(DownloaderTimer::AutoCheck).active);
}

// Guards the box of a failure holding the delivery when nobody is there to
// answer it, as in the tray at night: it waited inside the download task
// that showed it, and the task queue stood still until it was answered, so
// the file never arrived. The box now stays open while the work goes on.
TEST_F(UnattendedDeliveryTest, FileDroppedOnceArrivesWithItsBoxLeftOpen)
{
    const std::string body = PatternBytes(kBodySize, 12);
    ScriptServer web(std::vector<ScriptedReply>{kDropped, {HttpAnswer("200 OK", body)}});
    ScriptServer listing(ListingOf("once.bin", web.port()));
    startInTray(listing, web, false);

    const std::string arrived = dir.file("once.bin");
    const bool delivered = runUntil([&] { return FileExists(arrived) && ReadFile(arrived) == body; }, 150s);
    const std::string timeline = Timeline(start, listings, gets, boxes);
    std::cout << timeline;
    EXPECT_TRUE(delivered) << "the file did not arrive while its box was open\n" << timeline;
}

// Guards a file that always fails being asked for at every check (boxes
// again and again, one GET and one listing every few seconds) or the check
// chain never ending once every listed file waits. The GETs follow the
// growing pause (about t0, t0 + 1 min, t0 + 3 min), the listings come one
// per automatic check (plus one closing check after each GET), and the
// only boxes are those of the first failure.
TEST_F(UnattendedDeliveryTest, FileThatAlwaysFailsSlowsTheChecksToTheRetryPace)
{
    ScriptServer web(std::vector<ScriptedReply>{kDropped});
    ScriptServer listing(ListingOf("never.bin", web.port()));
    startInTray(listing, web);

    // The third GET comes about three minutes after the first; a few
    // seconds more show the check that closes its round.
    runUntil([&] { return gets.size() >= 3; }, 240s);
    runFor(2 * std::chrono::seconds(kRefresh) + 3s);
    const std::string timeline = Timeline(start, listings, gets, boxes);
    std::cout << timeline;

    ASSERT_TRUE(ops.timer(DownloaderTimer::AutoCheck).active) << timeline;
    ASSERT_EQ(gets.size(), 3u) << timeline;
    const double firstPause = SecondsBetween(gets[0], gets[1]);
    const double secondPause = SecondsBetween(gets[1], gets[2]);
    EXPECT_GE(firstPause, 55.0) << timeline;
    EXPECT_GE(secondPause, 115.0) << timeline;
    // Each retry comes with the first automatic check after its pause.
    EXPECT_LE(firstPause, 60.0 + 60.0 + 4 * kRefresh + 5) << timeline;
    EXPECT_LE(secondPause, 120.0 + 60.0 + 4 * kRefresh + 5) << timeline;
    EXPECT_GT(secondPause, 1.5 * firstPause) << timeline;

    // Listings a few seconds apart come only as the closing check of a
    // round that asked for the file; any others are a period apart.
    ASSERT_GE(listings.size(), 2u) << timeline;
    int trailing = 0;
    for (std::size_t i = 1; i < listings.size(); ++i) {
        if (SecondsBetween(listings[i - 1], listings[i]) >= 55.0)
            continue;
        int getsBetween = 0;
        for (const auto get : gets)
            getsBetween += get > listings[i - 1] && get < listings[i];
        trailing += getsBetween != 1;
    }
    EXPECT_EQ(trailing, 0) << "listings that followed the one before within the period without a GET between\n"
                           << timeline;
    const double seconds = SecondsBetween(start, clock);
    EXPECT_LE(listings.size(), static_cast<std::size_t>(seconds / 60.0) + 1 + gets.size()) << timeline;
    EXPECT_LE(boxes.size(), 2u) << timeline;
    EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(), [&](auto box) { return box >= gets[1]; }), 0)
        << "a box after the first failure\n"
        << timeline;
}

} // namespace
} // namespace vexo
