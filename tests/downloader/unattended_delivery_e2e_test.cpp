// SPDX-License-Identifier: GPL-3.0-or-later
// The program left alone with "--tray" on the test's X display, against a
// scripted listing and a scripted web server on loopback: what it fetches
// by itself after a failure, when, and how many boxes it shows.
#include "base/settings_keys.h"
#include "base/settings_store.h"
#include "tests/display_support/display_test.h"
#include "tests/display_support/x_windows.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/script_server.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::FileExists;
using test::PatternBytes;
using test::ReadFile;
using test::ScriptedReply;
using test::ScriptServer;
using test::StartedProgram;
using test::TempDir;
using test::XWindows;

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBodySize = 5000;
// Seconds between two runs of the task queue: short, so that a chain of
// trailing checks would show as listings a few seconds apart.
constexpr int kRefresh = 2;

// A connection the web server closes without reading or answering.
const ScriptedReply kDropped{.bytes = {}, .closeAtOnce = true};

std::string HttpAnswer(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

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
    text.precision(1);
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

// A copy of the program in a folder of its own, where it keeps its
// settings, started with "--tray" so that the automatic check is on. Its
// period is the box's "60" seconds: the period box is not stored, so a
// start cannot be given a shorter one. Removal mode 3 keeps every file
// listed and asks the server for nothing: mode 1 would open a browser
// (xdg-open) for each arrival, mode 2 would load the removal page in the
// web engine; with 3 the listing stays as the script has it and a
// removal has no side effect at all.
class UnattendedDeliveryTest : public ::testing::Test {
protected:
    TempDir root;
    const std::string programFolder = root.file("program");
    const std::string program = programFolder + "/vexorama";
    const std::string downloads = root.file("downloads");
    const std::string runtime = root.file("run");
    std::unique_ptr<StartedProgram> started;
    Clock::time_point start{};
    // Each box the program has shown, when it was first seen.
    std::vector<Clock::time_point> boxes;
    std::set<unsigned long> boxWindows;

    void SetUp() override
    {
        if (!test::HasRealDisplay())
            VEXO_SKIP_OR_FAIL() << "needs an X display (xvfb-run)";
        if (!XWindows::Installed())
            VEXO_SKIP_OR_FAIL() << "needs xdotool (apt-get install xdotool)";
        std::filesystem::create_directories(programFolder);
        std::filesystem::create_directories(downloads);
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        std::filesystem::copy_file(test::BuildProgram(QStringLiteral("vexorama")).toStdString(), program);
    }

    void startInTray(const ScriptServer& listing)
    {
        SettingsStore settings(program + ".INI");
        settings.writeString(settings::kFolder, downloads);
        settings.writeString(settings::kServer, "127.0.0.1");
        settings.writeString(settings::kPort, std::to_string(listing.port()));
        settings.writeInteger(settings::kRemovalMode, 3);
        settings.writeInteger(settings::kRefresh, kRefresh);
        start = Clock::now();
        started = std::make_unique<StartedProgram>(program, std::vector<std::string>{"--tray"},
                                                   test::Environment{{"QT_QPA_PLATFORM", "xcb"},
                                                                     {"XDG_RUNTIME_DIR", runtime},
                                                                     {"XDG_STATE_HOME", root.file("state")}});
    }

    // Notes the boxes shown since the last look and answers them, as a user
    // would. A box holds the task queue until it is answered (the download
    // that shows it waits in it), so with one left open nothing would be
    // listed or fetched again.
    void answerBoxes(bool answer = true)
    {
        const QString boxTitles = QStringLiteral("^(Information|Warning)$");
        for (const unsigned long window : XWindows::Visible(started->pid(), boxTitles)) {
            if (boxWindows.insert(window).second)
                boxes.push_back(Clock::now());
            if (answer)
                XWindows::Answer(window);
        }
    }

    // How many boxes were first seen at `time` or later.
    int boxesFrom(Clock::time_point time) const
    {
        return static_cast<int>(std::count_if(boxes.begin(), boxes.end(), [&](auto box) { return box >= time; }));
    }

    // Watches the program until `done` holds or `limit` passes since its
    // start; says whether it held.
    bool watchUntil(const std::function<bool()>& done, std::chrono::seconds limit, bool answer = true)
    {
        while (!done()) {
            if (Clock::now() - start > limit || !started->running())
                return false;
            answerBoxes(answer);
            std::this_thread::sleep_for(250ms);
        }
        return true;
    }
    // Goes on watching (and answering boxes) for `length` more.
    void watchFor(std::chrono::seconds length)
    {
        const auto until = Clock::now() + length;
        while (Clock::now() < until && started->running()) {
            answerBoxes();
            std::this_thread::sleep_for(250ms);
        }
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
    ScriptServer web(std::vector<ScriptedReply>{kDropped, {HttpAnswer(body)}});
    ScriptServer listing(ListingOf("once.bin", web.port()));
    startInTray(listing);

    const std::string arrived = downloads + "/once.bin";
    const bool delivered = watchUntil([&] { return FileExists(arrived) && ReadFile(arrived) == body; }, 150s);
    // Boxes shown late (at the retry, or after it) are counted too.
    watchFor(2 * std::chrono::seconds(kRefresh) + 1s);
    const std::vector<Clock::time_point> gets = web.connectionTimes();
    const std::string timeline = Timeline(start, listing.connectionTimes(), gets, boxes);
    std::cout << timeline;

    ASSERT_TRUE(delivered) << "the file did not arrive by itself\n" << timeline;
    ASSERT_GE(gets.size(), 2u) << timeline;
    // The pause held: no GET again within the minute.
    EXPECT_GE(SecondsBetween(gets[0], gets[1]), 55.0) << timeline;
    // And the first automatic check after it fetched the file: one period
    // (60 s) after the check that came in the pause, at most.
    EXPECT_LE(SecondsBetween(gets[0], gets[1]), 60.0 + 60.0 + 4 * kRefresh + 5) << timeline;
    EXPECT_LE(boxes.size(), 2u) << timeline;
    EXPECT_EQ(boxesFrom(gets[1]), 0) << "a box after the first failure\n" << timeline;
    EXPECT_TRUE(started->running());
}

// Guards the box of a failure holding the delivery when nobody is there to
// answer it, as in the tray at night: it waited inside the download task
// that showed it, and the task queue stood still until it was answered, so
// the file never arrived. The box now stays open while the work goes on.
TEST_F(UnattendedDeliveryTest, FileDroppedOnceArrivesWithItsBoxLeftOpen)
{
    const std::string body = PatternBytes(kBodySize, 12);
    ScriptServer web(std::vector<ScriptedReply>{kDropped, {HttpAnswer(body)}});
    ScriptServer listing(ListingOf("once.bin", web.port()));
    startInTray(listing);

    const std::string arrived = downloads + "/once.bin";
    const bool delivered = watchUntil([&] { return FileExists(arrived) && ReadFile(arrived) == body; }, 150s, false);
    const std::string timeline = Timeline(start, listing.connectionTimes(), web.connectionTimes(), boxes);
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
    startInTray(listing);

    // The third GET comes about three minutes after the first; a few
    // seconds more show the check that closes its round.
    watchUntil([&] { return web.connectionTimes().size() >= 3; }, 240s);
    watchFor(2 * std::chrono::seconds(kRefresh) + 3s);
    const std::vector<Clock::time_point> gets = web.connectionTimes();
    const std::vector<Clock::time_point> listings = listing.connectionTimes();
    const std::string timeline = Timeline(start, listings, gets, boxes);
    std::cout << timeline;

    ASSERT_TRUE(started->running()) << timeline;
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
    const double seconds = SecondsBetween(start, Clock::now());
    EXPECT_LE(listings.size(), static_cast<std::size_t>(seconds / 60.0) + 1 + gets.size()) << timeline;
    EXPECT_LE(boxes.size(), 2u) << timeline;
    EXPECT_EQ(boxesFrom(gets[1]), 0) << "a box after the first failure\n" << timeline;
}

} // namespace
} // namespace vexo
