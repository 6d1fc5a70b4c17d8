// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "base/stop_request.h"
#include "downloader/downloader_events.h"
#include "downloader/partial_download.h"
#include "downloader/task_runner.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/script_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <set>

namespace vexo {
namespace {

using test::HttpAnswer;
using test::ListAnswer;
using test::ReadFile;
using test::ScriptedReply;
using test::ScriptServer;
using test::WriteFile;

const char* const kNotFound = "Ошибка, файл не найден на сервере";
const char* const kZeroSize = "Ошибка, файл не найден на сервере (Нулевой размер)";

// The runner over the fake window, a scripted listing server and one
// scripted web server per file; "Server"/"Name" carries the web port.
class RunnerTest : public test::CheckFixture {
protected:
    std::vector<std::unique_ptr<ScriptServer>> web;
    std::chrono::steady_clock::time_point clock{};

    // The clock becomes one the test moves by hand.
    void useOwnClock()
    {
        d.setClock([this] { return clock; });
    }
    // A second on, the tray hint held back since the last one goes out.
    void secondLater()
    {
        clock += std::chrono::seconds(1);
        d.sendHeldTrayHint();
    }

    std::string webFile(const std::string& reply)
    {
        web.push_back(std::make_unique<ScriptServer>(reply));
        return "http://127.0.0.1:" + std::to_string(web.back()->port()) + "/f";
    }
    // Lists the files on a listing server and points the client at it.
    std::unique_ptr<ScriptServer> listing(const std::vector<std::array<std::string, 4>>& files)
    {
        auto server = std::make_unique<ScriptServer>(ListAnswer(files));
        d.setServerAddress({"127.0.0.1:8080", std::to_string(server->port())});
        return server;
    }
    void setRemMode(int mode) { settings().writeInteger("Server", "RemMode", mode); }
};

// Guards one tick after a list of two files: the check, download 1 and its
// removal all run; panel 1 then reads "down rem get "; the timers and
// controls are back as after any download.
TEST_F(RunnerTest, OneTickRunsTheCheckTheFirstDownloadAndItsRemoval)
{
    const auto server = listing({{"one.avi", webFile(HttpAnswer("200 OK", "first")), "del.php?f=1", "5"},
                                 {"two.avi", webFile(HttpAnswer("200 OK", "second")), "del.php?f=2", "6"}});
    useOwnClock();
    setRemMode(1);
    d.setAutoCheck(true);
    queueCheck();
    d.tick();
    // The hint of the download's end waits out the second since the last.
    secondLater();

    EXPECT_EQ(ops.queuedTasks, "down rem get ");
    EXPECT_EQ(ReadFile(dir.file("one.avi")), "first");
    EXPECT_FALSE(test::FileExists(dir.file("two.avi")));
    EXPECT_EQ(ops.opened, std::vector<std::string>{"http://127.0.0.1:8080/uploader/del.php?f=1&close=1"});
    EXPECT_EQ(d.downloadedThisSession(), 1);
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 1");
    EXPECT_FALSE(timerActive(DownloaderTimer::TrayHint));
    // Each whole arrival is announced once, in the tray if the window is there.
    EXPECT_EQ(std::count(ops.log.begin(), ops.log.end(), "announce arrivals one.avi"), 1);
    EXPECT_TRUE(timerActive(DownloaderTimer::TaskRunner));
    EXPECT_FALSE(timerActive(DownloaderTimer::FetchProgress));
    EXPECT_FALSE(timerActive(DownloaderTimer::AutoCheck)); // tasks still wait
    EXPECT_TRUE(ops.serverControlsEnabled);
    EXPECT_EQ(ops.fetchName, "");
    EXPECT_EQ(ops.fetchStatus, "");
    EXPECT_EQ(ops.fetched, 0);

    d.tick();
    EXPECT_EQ(ReadFile(dir.file("two.avi")), "second");
    EXPECT_EQ(ops.queuedTasks, "get ");
    // The closing check finds nothing: the queue is empty and the automatic
    // check follows its box again.
    ScriptServer empty("connected\n=END=\n");
    usePort(empty.port());
    d.tick();
    EXPECT_TRUE(d.queue().empty());
    EXPECT_TRUE(timerActive(DownloaderTimer::AutoCheck));
    EXPECT_EQ(d.downloadedThisSession(), 2);
    // With the check's earlier arrivals, in one notice that the empty queue closes.
    EXPECT_EQ(std::count(ops.log.begin(), ops.log.end(), "announce arrivals one.avi|two.avi"), 1);
    EXPECT_EQ(ops.log.back(), "end arrivals");
}

// Guards each arrival making a notice of its own: the files one check (and
// the checks it chains) brings whole are announced as one growing list,
// which the queue running empty ends, however it empties; a check that
// brings nothing whole announces nothing; the next check starts a new list.
TEST_F(RunnerTest, ArrivalsOfOneCheckAreAnnouncedAsOneGrowingList)
{
    const std::string ok = HttpAnswer("200 OK", "bytes");
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files; // name, web reply
        bool statusBarStopAfterFirst;
        std::vector<std::string> told;
    } checks[] = {
        {"two files",
         {{"a.avi", ok}, {"b.avi", ok}},
         false,
         {"announce arrivals a.avi", "announce arrivals a.avi|b.avi", "end arrivals"}},
        {"a file that fails", {{"c.avi", HttpAnswer("404 Not Found", "")}}, false, {}},
        {"dropped by the status bar",
         {{"d.avi", ok}, {"e.avi", ok}},
         true,
         {"announce arrivals d.avi", "end arrivals"}},
        {"the next check", {{"f.avi", ok}}, false, {"announce arrivals f.avi", "end arrivals"}},
    };
    setRemMode(1);
    for (const auto& check : checks) {
        SCOPED_TRACE(check.what);
        std::vector<std::array<std::string, 4>> listed;
        for (const auto& [name, reply] : check.files)
            listed.push_back({name, webFile(reply), "r=" + name, "5"});
        const auto server = listing(listed);
        ops.log.clear();
        d.queueCheck();
        for (int tick = 0; tick < 8 && !d.queue().empty(); ++tick) {
            d.tick();
            if (check.statusBarStopAfterFirst)
                d.stop();
        }
        ASSERT_TRUE(d.queue().empty());
        std::vector<std::string> told;
        std::copy_if(ops.log.begin(), ops.log.end(), std::back_inserter(told), [](const std::string& call) {
            return call.starts_with("announce arrivals") || call == "end arrivals";
        });
        EXPECT_EQ(told, check.told);
    }
}

// Guards: a runner that set its timers with every change of the queue (one
// "Обновить" of one file switched the runner's timer off and on six times in
// one tick and showed the queue twelve times). Each tick and the click set
// the timers once and show the queue once per change, and the pumps the
// window needs (each tick's start, each status text, after each task) stay.
TEST_F(RunnerTest, OneCheckOfOneFileSetsTheTimersOncePerTick)
{
    for (const bool autoCheck : {false, true}) {
        SCOPED_TRACE(autoCheck ? "automatic check on" : "automatic check off");
        const std::string name = autoCheck ? "two.avi" : "one.avi";
        const auto server =
            listing({{name, webFile(HttpAnswer("200 OK", std::string(300 * 1024, 'x'))), "r", "307200"}});
        setRemMode(1);
        d.setAutoCheck(autoCheck);
        ops.log.clear();
        d.queueCheck();
        for (int tick = 0; tick < 4 && !d.queue().empty(); ++tick)
            d.tick();

        ASSERT_TRUE(d.queue().empty());
        EXPECT_EQ(ReadFile(dir.file(name)).size(), 300u * 1024);
        const auto count = [this](const std::string& prefix) {
            return std::count_if(ops.log.begin(), ops.log.end(),
                                 [&prefix](const std::string& call) { return call.starts_with(prefix); });
        };
        const auto timerCalls = count("timer ");
        const auto taskLists = count("tasks ");
        const auto pumps = count("pump");
        // The click: off and on; each tick: its interval, off and on; the
        // download: the progress timer on and off, the automatic check off;
        // the empty queue: the automatic check follows its switch; the tray
        // hint held back: its timer's interval, off and on.
        EXPECT_LE(timerCalls, 15);
        // "get ", "down rem get ", "rem get ", "get ", "".
        EXPECT_LE(taskLists, 5);
        // The rest: the status texts, the grid, the fetch's name, status and
        // bar, "Остановить" and its tray item on and off, the arrival's
        // notice and its end.
        EXPECT_LE(static_cast<long>(ops.log.size()) - pumps, 46);
        // Two ticks' starts, four status texts each, and one after each task.
        EXPECT_GE(pumps, 15);
        EXPECT_TRUE(timerActive(DownloaderTimer::TaskRunner));
        EXPECT_EQ(timerActive(DownloaderTimer::AutoCheck), autoCheck);
    }
}

// Guards the fetching state: while a file arrives the four controls are
// disabled, the progress timer runs and the runner and automatic check
// are off; ticks arriving meanwhile do nothing.
TEST_F(RunnerTest, DownloadDisablesTheTabAndIgnoresTicks)
{
    const auto server = listing({{"big.avi", webFile(HttpAnswer("200 OK", std::string(50000, 'x'))), "r", "50000"}});
    setRemMode(3);
    queueCheck();
    bool sawFetching = false;
    std::set<std::string> namesShown;
    ops.onPump = [&] {
        if (!timerActive(DownloaderTimer::FetchProgress))
            return;
        sawFetching = true;
        namesShown.insert(ops.fetchName);
        EXPECT_FALSE(ops.serverControlsEnabled);
        EXPECT_FALSE(timerActive(DownloaderTimer::AutoCheck));
        // A tick let through by the pump is not acted upon.
        const std::string before = d.queue().taskWords();
        d.tick();
        EXPECT_EQ(d.queue().taskWords(), before);
    };
    d.tick();
    EXPECT_TRUE(sawFetching);
    EXPECT_TRUE(namesShown.count("big.avi"));
    EXPECT_EQ(ReadFile(dir.file("big.avi")).size(), 50000u);
    EXPECT_EQ(web.front()->requests().size(), 1u);
}

// Guards emptying the queue during a download: the download's closing pop
// must not remove the check queued after the emptying.
TEST_F(RunnerTest, EmptyingTheQueueDuringADownloadKeepsTasksQueuedAfterIt)
{
    const auto server = listing({{"a.avi", webFile(HttpAnswer("200 OK", std::string(20000, 'a'))), "r", "20000"}});
    queueCheck();
    bool emptied = false;
    ops.onPump = [&] {
        if (emptied || !timerActive(DownloaderTimer::FetchProgress))
            return;
        emptied = true;
        d.stop();
        d.queueCheck();
    };
    d.tick();
    EXPECT_TRUE(emptied);
    EXPECT_EQ(d.queue().taskWords(), "get ");
    EXPECT_TRUE(ops.opened.empty());
}

// Guards a download that could not be stopped, only the queue emptied
// behind it: "Остановить" ends the fetch from a slowly streaming peer at
// the pump that took the press, so the rest of the body, sent only after
// it, is never taken. Nothing arrives or counts as failed (the next check
// fetches the file at once), no removal starts, the check's other
// downloads go, and panel 0 names the file. The button and the tray item
// are enabled only while a download runs.
TEST_F(RunnerTest, StopEndsTheRunningDownloadAndDropsTheQueuedOnes)
{
    std::atomic<bool> stopped = false;
    ScriptedReply slow{"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 1000\r\n\r\nab",
                       false,
                       true,
                       {std::string(998, 'c')}};
    slow.goOn = [&stopped] { return stopped.load(); };
    web.push_back(std::make_unique<ScriptServer>(std::vector<ScriptedReply>{slow}));
    const std::string slowUrl = "http://127.0.0.1:" + std::to_string(web.back()->port()) + "/f";
    const auto server =
        listing({{"slow.avi", slowUrl, "r1", "1000"}, {"next.avi", webFile(HttpAnswer("200 OK", "next")), "r2", "4"}});
    setRemMode(1);
    d.stopDownload();
    bool enabledWhileFetching = false;
    bool enabledOtherwise = false;
    ops.onPump = [&] {
        const bool fetching = timerActive(DownloaderTimer::FetchProgress);
        if (!fetching && (ops.stopEnabled || ops.stopItemEnabled))
            enabledOtherwise = true;
        if (fetching && !stopped && d.progress().fetchedBytes == 2) {
            enabledWhileFetching = ops.stopEnabled && ops.stopItemEnabled;
            d.stopDownload();
            stopped = true;
        }
    };
    queueCheck();
    d.tick();
    EXPECT_TRUE(enabledWhileFetching);
    EXPECT_FALSE(enabledOtherwise || ops.stopEnabled || ops.stopItemEnabled);
    EXPECT_EQ(d.progress().fetchedBytes, 2);
    EXPECT_EQ(ops.status, "Остановлено: slow.avi");
    EXPECT_EQ(ops.queuedTasks, "");
    EXPECT_TRUE(ops.messageTexts().empty());
    EXPECT_TRUE(ops.opened.empty());
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 0");
    EXPECT_EQ(test::FolderNames(dir.path()), std::vector<std::string>{"vexorama.INI"});
    EXPECT_TRUE(web[1]->requests().empty());

    // No pause as after a failure: the next check fetches it.
    queueCheck();
    d.tick();
    EXPECT_EQ(ReadFile(dir.file("slow.avi")), "ab" + std::string(998, 'c'));
    EXPECT_EQ(d.downloadedThisSession(), 1);
}

// Guards the status bar's click dropping tasks without a word (119 queued
// downloads went unseen): panel 0 says how many it dropped. A task being
// carried out still ends, and is not counted.
TEST_F(RunnerTest, StatusBarClickSaysHowManyTasksItDropped)
{
    d.stop();
    EXPECT_EQ(ops.status, "Отменено заданий: 0");
    queueCheck();
    QueueRemoval(d, "r0");
    d.stop();
    EXPECT_EQ(ops.status, "Отменено заданий: 2");

    const auto server = listing({{"a.avi", webFile(HttpAnswer("200 OK", std::string(20000, 'a'))), "r1", "20000"},
                                 {"b.avi", webFile(HttpAnswer("200 OK", "b")), "r2", "1"}});
    queueCheck();
    bool clicked = false;
    std::string droppedText;
    ops.onPump = [&] {
        if (clicked || !timerActive(DownloaderTimer::FetchProgress))
            return;
        clicked = true;
        // "down rem down rem get ", the first download running.
        d.stop();
        droppedText = ops.status;
    };
    d.tick();
    EXPECT_EQ(droppedText, "Отменено заданий: 4");
    EXPECT_EQ(ReadFile(dir.file("a.avi")), std::string(20000, 'a'));
    EXPECT_FALSE(test::FileExists(dir.file("b.avi")));
    EXPECT_TRUE(d.queue().empty());
}

// Guards the removal addresses, byte for byte: mode 1 with "&close=1" in
// the browser, mode 2 without it in the hidden view, any other mode
// nothing; spaces, "%" and Windows-1251 bytes pass unencoded, and the mode
// is read afresh at every removal.
TEST_F(RunnerTest, RemovalAddressesFollowTheMode)
{
    useHost("127.0.0.1:8080");
    const std::string ref = "del.php?f=a b%41&n=\xE9";
    for (int mode : {1, 2, 3, 258}) {
        setRemMode(mode);
        QueueRemoval(d, ref);
        d.runTasks();
    }
    EXPECT_EQ(ops.opened, std::vector<std::string>{"http://127.0.0.1:8080/uploader/" + ref + "&close=1"});
    using Load = std::pair<WebPage, std::string>;
    const std::vector<Load> loads{{WebPage::Removal, "http://127.0.0.1:8080/uploader/" + ref}};
    EXPECT_EQ(ops.loads, loads);
    EXPECT_TRUE(d.queue().empty());
}

// Guards removal mode 2 without the web engine module: a box every few
// seconds, for ever, and no removal. One box says so, and the browser
// takes over for this removal and every later one.
TEST_F(RunnerTest, RemovalPageMissingFallsBackToTheBrowserOnce)
{
    struct NoRemovalPage : test::FakeViews {
        void load(WebPage, const std::string&) override { throw WebEngineMissing("no module"); }
    } window;
    Downloader local(session, window, window, window, window);
    local.setServerAddress({"127.0.0.1:8080", "6677"});
    settings().writeInteger("Server", "RemMode", 2);
    QueueRemoval(local, "del.php?f=1");
    QueueRemoval(local, "del.php?f=2");
    local.runTasks();
    local.runTasks();
    EXPECT_EQ(window.messageTexts(), std::vector<std::string>{"no module\nФайлы удаляются с сервера через браузер."});
    EXPECT_EQ(window.opened, (std::vector<std::string>{"http://127.0.0.1:8080/uploader/del.php?f=1&close=1",
                                                       "http://127.0.0.1:8080/uploader/del.php?f=2&close=1"}));
    EXPECT_TRUE(local.queue().empty());
    EXPECT_FALSE(local.running());
}

// Guards a file that can never be fetched (404, a name the folder refuses):
// every automatic or trailing check fetched and reported it again, two
// boxes every few seconds for ever. It waits out its pause, counted in the
// status bar, and the user's check tries it at once without a second box.
TEST_F(RunnerTest, FailedFileWaitsForTheUsersCheck)
{
    const auto server = listing({{"gone.avi", webFile(HttpAnswer("404 Not Found", "")), "r", "5"}});
    setRemMode(1);
    queueCheck();
    d.tick();
    EXPECT_EQ(ops.messageTexts(), (std::vector<std::string>{kNotFound, kZeroSize}));
    EXPECT_EQ(ops.notices, 2) << "the boxes waited for an answer, holding the queue";
    for (int tick = 0; tick < 3; ++tick) {
        d.autoCheckTick();
        d.tick();
    }
    EXPECT_EQ(ops.messages.size(), 2u);
    EXPECT_EQ(ops.status, "Соединение завершено. Добавлено 0 файлов на закачку (1 после ошибки ждут повтора)");
    EXPECT_EQ(web.front()->requests().size(), 1u);

    ops.queuedTasks.clear();
    d.queue().clear();
    d.queueCheck();
    d.tick();
    EXPECT_EQ(ops.messages.size(), 2u);
    EXPECT_EQ(web.front()->requests().size(), 2u);
}

// The runner with a clock the test moves by hand.
class RetryTest : public RunnerTest {
protected:
    RetryTest()
    {
        useOwnClock();
        setRemMode(1);
    }
    // An automatic check and every task it brings.
    void automaticCheck()
    {
        d.autoCheckTick();
        for (int i = 0; i < 10 && !d.queue().empty(); ++i)
            d.tick();
    }
};

// Guards a file whose download failed once (a dropped connection, a server
// restart) never being fetched again unless the user asked: left in the
// tray, it was never delivered. The first automatic check after a minute
// fetches it, none before, and the failure brought its boxes only once.
TEST_F(RetryTest, FailedFileArrivesAtTheFirstAutomaticCheckAfterItsPause)
{
    web.push_back(std::make_unique<ScriptServer>(std::vector<ScriptedReply>{{""}, {HttpAnswer("200 OK", "later")}}));
    const std::string address = "http://127.0.0.1:" + std::to_string(web.back()->port()) + "/f";
    const auto server = listing({{"late.avi", address, "r", "5"}});
    automaticCheck();
    EXPECT_EQ(ops.messageTexts(), (std::vector<std::string>{kNotFound, kZeroSize}));
    secondLater();
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 0\nЖдут повтора: 1");

    clock += std::chrono::seconds(58);
    automaticCheck();
    EXPECT_EQ(web.front()->requests().size(), 1u);
    EXPECT_EQ(ops.status, "Соединение завершено. Добавлено 0 файлов на закачку (1 после ошибки ждут повтора)");

    clock += std::chrono::seconds(1);
    automaticCheck();
    EXPECT_EQ(web.front()->requests().size(), 2u);
    EXPECT_EQ(ReadFile(dir.file("late.avi")), "later");
    EXPECT_EQ(ops.messages.size(), 2u);
    secondLater();
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 1");
}

// Guards a file that always fails (an error status, an empty body) being
// fetched and reported at every round: the pause doubles from a minute up
// to an hour, a repeat shows no box, and "Обновить" tries it at once.
TEST_F(RetryTest, RepeatedFailuresDoubleThePauseUpToAnHourWithoutBoxes)
{
    for (const std::string& reply : {HttpAnswer("404 Not Found", ""), HttpAnswer("200 OK", "")}) {
        SCOPED_TRACE(reply);
        ops.messages.clear();
        const auto server = listing({{"bad.avi", webFile(reply), "r", "5"}});
        automaticCheck();
        const std::size_t boxes = ops.messages.size();
        EXPECT_GE(boxes, 1u);
        std::size_t tries = 1;
        for (const int minutes : {1, 2, 4, 8, 16, 32, 60, 60}) {
            clock += std::chrono::minutes(minutes) - std::chrono::seconds(1);
            automaticCheck();
            EXPECT_EQ(web.back()->requests().size(), tries) << minutes;
            clock += std::chrono::seconds(1);
            automaticCheck();
            EXPECT_EQ(web.back()->requests().size(), ++tries) << minutes;
        }
        d.queueCheck();
        for (int i = 0; i < 10 && !d.queue().empty(); ++i)
            d.tick();
        EXPECT_EQ(web.back()->requests().size(), ++tries);
        EXPECT_EQ(ops.messages.size(), boxes);
        secondLater();
        EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: " + std::to_string(d.downloadedThisSession())
                                    + "\nЖдут повтора: " + std::to_string(d.delivery().waitingCount()));
    }
    EXPECT_EQ(d.delivery().waitingCount(), 2);
}

// Guards failed downloads: an error status or a body cut short keeps the
// file on the server (the removal is dropped), leaves a local file of the
// same name alone and does not count as fetched.
TEST_F(RunnerTest, FailedDownloadDropsTheRemovalAndKeepsTheLocalFile)
{
    WriteFile(dir.file("a.avi"), "mine");
    const std::string cutShort =
        "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 900\r\n\r\n" + std::string(300, 'x');
    const auto server = listing({{"a.avi", webFile(HttpAnswer("404 Not Found", "missing")), "r1", "7"},
                                 {"a.avi", webFile(cutShort), "r2", "900"}});
    useOwnClock();
    setRemMode(1);
    queueCheck();
    d.tick();
    EXPECT_EQ(ops.messageTexts(), (std::vector<std::string>{kNotFound, kZeroSize}));
    EXPECT_EQ(ops.queuedTasks, "down rem get ");

    d.tick();
    EXPECT_EQ(ops.messageTexts(), (std::vector<std::string>{kNotFound, kZeroSize, kNotFound}));
    EXPECT_EQ(ops.queuedTasks, "get ");
    EXPECT_TRUE(ops.opened.empty());
    EXPECT_EQ(ReadFile(dir.file("a.avi")), "mine");
    EXPECT_EQ(d.downloadedThisSession(), 0);
    secondLater();
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 0\nЖдут повтора: 2");
    EXPECT_EQ(std::count_if(ops.log.begin(), ops.log.end(),
                            [](const std::string& entry) { return entry.starts_with("announce"); }),
              0);
}

// Guards an empty body: counted as fetched, no local file left, and the
// file stays on the server. An empty answer used to replace the user's file
// of that name, which was then deleted: that file stays as it was.
TEST_F(RunnerTest, EmptyBodyLeavesNoFileAndKeepsTheServerCopy)
{
    WriteFile(dir.file("mine.avi"), "precious");
    const auto server = listing({{"empty.avi", webFile(HttpAnswer("200 OK", "")), "r", "0"},
                                 {"mine.avi", webFile(HttpAnswer("200 OK", "")), "r2", "8"}});
    setRemMode(1);
    queueCheck();
    d.tick();
    d.tick();
    EXPECT_EQ(ops.messageTexts(), (std::vector<std::string>{kZeroSize, kZeroSize}));
    EXPECT_FALSE(test::FileExists(dir.file("empty.avi")));
    EXPECT_EQ(ReadFile(dir.file("mine.avi")), "precious");
    EXPECT_EQ(d.downloadedThisSession(), 2);
    EXPECT_EQ(ops.queuedTasks, "get ");
    EXPECT_TRUE(ops.opened.empty());
}

// Guards the removal of a file whose body was not whole: without a length
// named and fewer bytes than listed, or as a partial (206) answer, it
// counted as fetched and its copy on the server was removed.
TEST_F(RunnerTest, IncompleteBodyKeepsTheServerCopy)
{
    const std::string shortBody = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n12345";
    const std::string partial =
        "HTTP/1.1 206 Partial Content\r\nConnection: close\r\nContent-Length: 10\r\n\r\n1234567890";
    const auto server =
        listing({{"short.avi", webFile(shortBody), "r1", "10"}, {"partial.avi", webFile(partial), "r2", "10"}});
    setRemMode(1);
    queueCheck();
    d.tick();
    d.tick();
    EXPECT_TRUE(ops.opened.empty());
    EXPECT_EQ(test::FolderNames(dir.path()), std::vector<std::string>{"vexorama.INI"});
    EXPECT_EQ(d.downloadedThisSession(), 0);
}

// Guards a download broken off in an earlier run (killed, or ended in the
// middle) being fetched again from zero: the bytes it left are resumed by
// the next download, and a whole list that no longer holds a file removes
// the bytes kept for it.
TEST_F(RunnerTest, BytesLeftByAnEarlierRunAreResumedOrCleared)
{
    const std::string url = webFile("HTTP/1.1 206 Partial Content\r\nConnection: close\r\nETag: \"v1\"\r\n"
                                    "Content-Range: bytes 4-9/10\r\nContent-Length: 6\r\n\r\n456789");
    WriteFile(dir.file(".vexorama-partial-a.avi"), "0123");
    PartialDownload(dir.file("a.avi")).record(url, "10", "\"v1\"");
    WriteFile(dir.file(".vexorama-partial-gone.avi"), "01");
    PartialDownload(dir.file("gone.avi")).record("http://127.0.0.1:1/g", "5", "\"v9\"");
    const auto server = listing({{"a.avi", url, "r1", "10"}});
    setRemMode(1);
    queueCheck();
    d.tick();
    EXPECT_EQ(ReadFile(dir.file("a.avi")), "0123456789");
    EXPECT_NE(web[0]->requests().at(0).find("\r\nRange: bytes=4-\r\nIf-Range: \"v1\"\r\n"), std::string::npos);
    EXPECT_EQ(test::FolderNames(dir.path()), (std::vector<std::string>{"a.avi", "vexorama.INI"}));
    EXPECT_EQ(d.downloadedThisSession(), 1);
}

// Guards a file removed on the server without ever being fetched: two
// checks queued before the first list came, and a new file that sorts
// first appeared in between. The downloads named a position in the list
// that every check refills, so the first fetched the new file and the
// removal after it removed the old one. A removal must follow the arrival
// of its own file, whole; and the old file, listed twice, arrives once.
TEST_F(RunnerTest, EveryRemovalFollowsTheArrivalOfItsOwnFile)
{
    const std::array<std::string, 4> oldFile{"old.avi", webFile(HttpAnswer("200 OK", "old body")), "del.php?f=old",
                                             "8"};
    const std::array<std::string, 4> newFile{"new.avi", webFile(HttpAnswer("200 OK", "new body")), "del.php?f=new",
                                             "8"};
    ScriptServer server(std::vector<ScriptedReply>{{ListAnswer({oldFile})}, {ListAnswer({newFile, oldFile})}});
    d.setServerAddress({"127.0.0.1:8080", std::to_string(server.port())});
    setRemMode(1);
    std::vector<std::string> removedBeforeArrival;
    ops.onOpen = [&](const std::string& address) {
        const std::string name = address.find("f=old") != std::string::npos ? "old.avi" : "new.avi";
        const std::string expected = name == "old.avi" ? "old body" : "new body";
        if (!test::FileExists(dir.file(name)) || ReadFile(dir.file(name)) != expected)
            removedBeforeArrival.push_back(name);
    };
    queueCheck();
    queueCheck();
    for (int tick = 0; tick < 4; ++tick)
        d.tick();
    EXPECT_TRUE(removedBeforeArrival.empty()) << removedBeforeArrival.front();
    EXPECT_EQ(ops.opened.size(), 2u);
    EXPECT_EQ(web.at(0)->requests().size(), 1u);
    EXPECT_EQ(ReadFile(dir.file("old.avi")), "old body");
    EXPECT_EQ(ReadFile(dir.file("new.avi")), "new body");
}

// Guards closing the window during a download from a server that sends
// nothing: the program kept waiting (and then handed the removal to the
// browser) instead of ending. The stop ends the fetch there: the rest of
// the body, which the peer sends only once the window has closed, is never
// taken; no temporary file is left and no removal starts.
TEST_F(RunnerTest, StopDuringASilentDownloadEndsItPromptly)
{
    ScriptedReply stalled{"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 1000\r\n\r\nab",
                          false,
                          true,
                          {std::string(998, 'c')}};
    stalled.goOn = [] { return StopRequested(); };
    web.push_back(std::make_unique<ScriptServer>(std::vector<ScriptedReply>{stalled}));
    const std::string url = "http://127.0.0.1:" + std::to_string(web.back()->port()) + "/f";
    const auto server = listing({{"slow.avi", url, "r", "1000"}});
    setRemMode(1);
    int silentPumps = 0;
    ops.onPump = [&] {
        if (d.progress().fetchedBytes == 2 && ++silentPumps == 10)
            RequestStop();
    };
    queueCheck();
    EXPECT_THROW(d.tick(), StopRequest);
    ClearStopRequest();
    EXPECT_EQ(d.progress().fetchedBytes, 2);
    EXPECT_TRUE(ops.opened.empty());
    EXPECT_EQ(test::FolderNames(dir.path()), std::vector<std::string>{"vexorama.INI"});
    EXPECT_EQ(ops.queuedTasks, "get ");
}

// Guards names from the server: only a plain name is joined to the working
// folder; others are refused without a request and stay on the server.
TEST_F(RunnerTest, NamesThatAreNotPlainAreRefused)
{
    std::vector<std::array<std::string, 4>> files;
    for (const std::string name : {"../escape.avi", "sub/x.avi", ".", "..", ""})
        files.push_back({name, webFile(HttpAnswer("200 OK", "bad")), "r", "3"});
    const auto server = listing(files);
    setRemMode(1);
    queueCheck();
    for (int tick = 0; tick < 5; ++tick)
        d.tick();
    EXPECT_EQ(ops.messages.size(), 10u);
    for (const auto& webServer : web)
        EXPECT_TRUE(webServer->requests().empty());
    EXPECT_FALSE(test::FileExists(dir.path() + "/../escape.avi"));
    EXPECT_TRUE(ops.opened.empty());
    EXPECT_EQ(ops.queuedTasks, "get ");
}

// Guards a working folder deleted while the program runs: the box once,
// then the program's folder for this and every later download, the folder
// box untouched.
TEST_F(RunnerTest, MissingWorkingFolderFallsBackToTheProgramFolderOnce)
{
    session.setProgramPlaces(session.executablePath(), dir.path() + "/program/", dir.path() + "/program/");
    std::filesystem::create_directory(session.programFolder());
    session.workingFolder().choose(dir.path() + "/gone");
    ops.showWorkingFolder(session.workingFolder().path(), true);
    const auto server = listing({{"a.avi", webFile(HttpAnswer("200 OK", "A")), "r", "1"},
                                 {"b.avi", webFile(HttpAnswer("200 OK", "B")), "r", "1"}});
    setRemMode(3);
    queueCheck();
    d.tick();
    d.tick();
    EXPECT_EQ(ops.messageTexts(),
              std::vector<std::string>{"Текущая папка не существует, сохраняем в " + session.programFolder()});
    EXPECT_EQ(ReadFile(session.programFolder() + "a.avi"), "A");
    EXPECT_EQ(ReadFile(session.programFolder() + "b.avi"), "B");
    EXPECT_EQ(ops.folderText, dir.path() + "/gone");
}

// Guards an error that escapes a download: the tab and the timers come
// back, the download and its removal are dropped, and the runner goes on.
TEST_F(RunnerTest, ErrorInADownloadRestoresTheTabAndTheRunner)
{
    const auto server = listing({{"full.avi", webFile(HttpAnswer("200 OK", "data")), "r", "4"}});
    setRemMode(1);
    d.setAutoCheck(true);
    queueCheck();
    {
        const ScopedFileFaults fullDisk({.failWriteAfter = 0, .error = ENOSPC});
        EXPECT_THROW(d.tick(), std::runtime_error);
    }
    EXPECT_TRUE(ops.serverControlsEnabled);
    EXPECT_FALSE(timerActive(DownloaderTimer::FetchProgress));
    EXPECT_TRUE(timerActive(DownloaderTimer::TaskRunner));
    EXPECT_FALSE(d.running());
    EXPECT_EQ(d.queue().taskWords(), "get ");
    EXPECT_TRUE(ops.opened.empty());
    EXPECT_EQ(ops.fetchName, "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1); // the INI
}

// Guards a chain of checks that never ended: with every listed file
// waiting after a failure, each check queued one more behind it, so the
// server was listed every few seconds for ever and the automatic check
// never took over. A check that queues no download ends the chain.
TEST_F(RunnerTest, CheckThatQueuesNoDownloadEndsTheChain)
{
    const auto server = listing({{"gone.avi", webFile(HttpAnswer("404 Not Found", "")), "r", "5"}});
    setRemMode(1);
    d.setAutoCheck(true);
    queueCheck();
    d.tick();
    EXPECT_EQ(ops.queuedTasks, "get ");
    EXPECT_FALSE(timerActive(DownloaderTimer::AutoCheck));
    d.tick();
    EXPECT_TRUE(d.queue().empty());
    EXPECT_EQ(ops.queuedTasks, "");
    EXPECT_TRUE(timerActive(DownloaderTimer::AutoCheck));
    EXPECT_EQ(server->requests().size(), 2u);

    // The automatic check lists again, and the chain ends at once.
    d.autoCheckTick();
    d.tick();
    EXPECT_TRUE(d.queue().empty());
    EXPECT_EQ(server->requests().size(), 3u);
    EXPECT_EQ(web.front()->requests().size(), 1u);
}

// Guards a second round over files that had just arrived: a double click
// on "Обновить" (or automatic checks queued while the server was down)
// listed them twice, and the second round got "not found" for each, two
// boxes per file. One check is queued at a time, and a file that arrived
// whole is not fetched again in this run, however often the server still
// lists it before its removal takes effect.
TEST_F(RunnerTest, FilesThatArrivedAreNotFetchedInASecondRound)
{
    const auto once = [](const std::string& body) {
        return std::vector<ScriptedReply>{{HttpAnswer("200 OK", body)}, {HttpAnswer("404 Not Found", "")}};
    };
    std::vector<std::array<std::string, 4>> files;
    for (const std::string name : {"a.avi", "b.avi"}) {
        web.push_back(std::make_unique<ScriptServer>(once(name)));
        files.push_back({name, "http://127.0.0.1:" + std::to_string(web.back()->port()) + "/f", "r=" + name, "5"});
    }
    const auto server = listing(files);
    setRemMode(1);
    d.queueCheck();
    d.queueCheck();
    EXPECT_EQ(ops.queuedTasks, "get ");
    for (int tick = 0; tick < 6 && !d.queue().empty(); ++tick)
        d.tick();
    EXPECT_TRUE(d.queue().empty());
    EXPECT_TRUE(ops.messages.empty()) << ops.messageTexts().front();
    EXPECT_EQ(ReadFile(dir.file("a.avi")), "a.avi");
    EXPECT_EQ(ReadFile(dir.file("b.avi")), "b.avi");
    EXPECT_EQ(ops.opened.size(), 2u);

    // A later check that still lists them queues nothing.
    d.queueCheck();
    d.tick();
    EXPECT_TRUE(d.queue().empty());
    EXPECT_EQ(ops.status, "Соединение завершено. Добавлено 0 файлов на закачку");
    for (const auto& webServer : web)
        EXPECT_EQ(webServer->requests().size(), 1u);
    EXPECT_TRUE(ops.messages.empty());
    EXPECT_EQ(d.downloadedThisSession(), 2);
}

// Guards mode 3 with a server that keeps listing: the file is fetched
// once, and the closing check that lists it again ends the chain.
TEST_F(RunnerTest, RemModeThreeFetchesOnceAndTheChainEnds)
{
    ScriptServer list(ListAnswer({{"a.avi", webFile(HttpAnswer("200 OK", "A")), "r", "1"}}));
    usePort(list.port());
    setRemMode(3);
    queueCheck();
    d.tick();
    d.tick();
    EXPECT_EQ(d.downloadedThisSession(), 1);
    EXPECT_EQ(ops.queuedTasks, "");
}

// Guards a new upload under a name fetched earlier never arriving: the
// run never forgot an arrival. A list that still holds it (its removal
// lags) fetches nothing; a whole list without it makes it forgotten.
TEST_F(RunnerTest, ArrivalsAreForgottenOnceAListNoLongerHoldsThem)
{
    setRemMode(1);
    const struct {
        std::string between;
        std::size_t fetches;
    } cases[] = {{"connected\n=END=\n", 2}, {"connected\n", 1}, {"", 1}};
    for (const auto& c : cases) {
        ScriptServer web(std::vector<ScriptedReply>{{HttpAnswer("200 OK", "old")}, {HttpAnswer("200 OK", "new")}});
        const std::string url = "http://127.0.0.1:" + std::to_string(web.port()) + "/IMG_0001.jpg";
        const std::string listed = ListAnswer({{"IMG_0001.jpg", url, "r", "3"}});
        ScriptServer list(std::vector<ScriptedReply>{{listed}, {c.between.empty() ? listed : c.between}, {listed}});
        usePort(list.port());
        for (int round = 0; round < 2; ++round) {
            d.queueCheck();
            for (int tick = 0; tick < 3 && !d.queue().empty(); ++tick)
                d.tick();
        }
        EXPECT_EQ(web.requests().size(), c.fetches) << c.between;
    }
}

// Guards "Не удалять" fetching the same first 126 of 130 files at every
// check, never the last four, and all again after a restart: a file is
// known by name, address and size across runs (a damaged record by none).
TEST_F(RunnerTest, KeptFilesAreFetchedOnceAcrossRuns)
{
    setRemMode(3);
    ScriptServer web(HttpAnswer("200 OK", "x"));
    std::vector<std::array<std::string, 4>> files;
    for (int i = 1; i <= 130; ++i)
        files.push_back({std::to_string(i), "http://127.0.0.1:" + std::to_string(web.port()) + "/", "r", "1"});
    const std::string state = dir.file("state/kept-files");
    const struct {
        const char* firstSize;
        bool damaged;
        std::size_t fetches, listings;
    } runs[] = {{"1", false, 130, 3}, {"1", false, 0, 1}, {"2", false, 1, 2}, {"2", true, 130, 3}};
    for (std::size_t before = 0; const auto& run : runs) {
        files[0][3] = run.firstSize;
        if (run.damaged)
            WriteFile(state, "\xff\n");
        ScriptServer list(ListAnswer(files));
        Downloader program(session, ops, ops, ops, ops);
        program.setServerAddress({d.serverAddress().host, std::to_string(list.port())});
        program.keepFilesIn(KeptFiles(state));
        program.queueCheck();
        for (int tick = 0; tick < 300 && !program.queue().empty(); ++tick)
            program.tick();
        EXPECT_EQ(web.requests().size() - before, run.fetches) << run.firstSize << run.damaged;
        EXPECT_EQ(list.requests().size(), run.listings);
        before = web.requests().size();
    }
}

// Guards the removal of a file that did not arrive whole: the server's
// only copy was removed for a body cut short. Only the removal of a
// download that arrived whole runs, wherever it stands in the queue.
TEST_F(RunnerTest, RemovalRunsOnlyForAFileThatArrivedWhole)
{
    setRemMode(1);
    useHost("127.0.0.1:8080");
    const std::string cut = "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 10\r\n\r\nhalf";
    const TaskId failed = d.queue().append(ServerTask::Download({"cut.avi", webFile(cut), "r=cut", "10"}));
    const TaskId whole =
        d.queue().append(ServerTask::Download({"whole.avi", webFile(HttpAnswer("200 OK", "whole")), "r=ok", "5"}));
    d.queue().append(ServerTask::Removal(failed, "r=cut"));
    d.queue().append(ServerTask::Removal(whole, "r=ok"));
    for (int tick = 0; tick < 4 && !d.queue().empty(); ++tick)
        d.tick();
    EXPECT_TRUE(d.queue().empty());
    EXPECT_EQ(ReadFile(dir.file("whole.avi")), "whole");
    EXPECT_FALSE(test::FileExists(dir.file("cut.avi")));
    EXPECT_EQ(ops.opened, std::vector<std::string>{"http://127.0.0.1:8080/uploader/r=ok&close=1"});
}

// Guards two listed files of one name: both were fetched and removed on
// the server, and only the second was left. And a listed name shaped like
// the program's temporaries was deleted by the next download as stale.
TEST_F(RunnerTest, SameNamedFilesBothArriveAndNoListedNameIsTakenForATemporary)
{
    const auto server = listing({{"photo.jpg", webFile(HttpAnswer("200 OK", "first")), "r1", "5"},
                                 {"photo.jpg", webFile(HttpAnswer("200 OK", "second")), "r2", "6"},
                                 {".vexorama-99999999-1", webFile(HttpAnswer("200 OK", "odd name")), "r3", "8"},
                                 {"last.avi", webFile(HttpAnswer("200 OK", "last")), "r4", "4"}});
    setRemMode(3);
    queueCheck();
    for (int tick = 0; tick < 4; ++tick)
        d.tick();
    EXPECT_EQ(ReadFile(dir.file("photo.jpg")), "first");
    EXPECT_EQ(ReadFile(dir.file("(1)photo.jpg")), "second");
    EXPECT_EQ(ReadFile(dir.file("_vexorama-99999999-1")), "odd name");
    EXPECT_EQ(ReadFile(dir.file("last.avi")), "last");
    EXPECT_EQ(d.downloadedThisSession(), 4);
}

} // namespace
} // namespace vexo
