// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/stop_request.h"
#include "downloader/server_check.h"
#include "downloader/task_runner.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/pump_gaps.h"
#include "tests/support/script_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::ListAnswer;
using test::ScriptedReply;
using test::ScriptServer;

const std::string kEntryA = "a.avi\nhttp://h/a\nref-a\n2000\n";
const std::string kEntryB = "b.avi\nhttp://h/b\nref-b\n3000\n";

class CheckWaitsTest : public test::CheckFixture {
protected:
    test::PumpGaps gaps;

    CheckWaitsTest()
    {
        ops.onPump = [this] { gaps.pumped(); };
    }
    // One check straight through CheckServer, timed from its start to its end.
    void check()
    {
        queueCheck();
        gaps.start();
        CheckServer(d);
        gaps.ended();
    }
    int connectAttempts() const
    {
        return static_cast<int>(std::count(ops.statusHistory.begin(), ops.statusHistory.end(), "Цепляюсь..."));
    }
};

// Guards the window freezing while the check waits: a connect that hangs,
// a list that stops, a list that trickles in; the pump runs all through
// each wait (generous limits: the benchmark measures the real gaps).
TEST_F(CheckWaitsTest, EveryWaitOfTheCheckPumps)
{
    {
        SCOPED_TRACE("connect that hangs");
        test::StuckListener stuck;
        usePort(stuck.port());
        d.tcpTimeouts.connect = 600ms;
        check();
        EXPECT_EQ(statusTexts().back(), "[!] Ошибка соединения");
        EXPECT_LT(gaps.longest(), 250ms);
        EXPECT_GE(gaps.count(), 10);
    }
    {
        SCOPED_TRACE("list that stops");
        ScriptServer server(std::vector<ScriptedReply>{{"connected\n" + kEntryA + "b.avi", false, true}});
        usePort(server.port());
        d.tcpTimeouts.line = 600ms;
        check();
        EXPECT_EQ(statusTexts().back(), "Соединение завершено. Добавлено 1 файлов на закачку");
        EXPECT_LT(gaps.longest(), 250ms);
        EXPECT_GE(gaps.count(), 10);
    }
    {
        SCOPED_TRACE("list that trickles in");
        ScriptServer server(
            std::vector<ScriptedReply>{{"connected\n", false, false, {kEntryA, kEntryB, "=END=\n"}, 200ms}});
        usePort(server.port());
        check();
        EXPECT_EQ(statusTexts().back(), "Соединение завершено. Добавлено 2 файлов на закачку");
        EXPECT_LT(gaps.longest(), 250ms);
        EXPECT_GE(gaps.count(), 10);
    }
}

// Guards closing the window during a check on a server that went silent:
// the check waited for the line time-out (30 s) first. The stop from the
// pump ends it at once, and the check stays queued.
TEST_F(CheckWaitsTest, ClosingTheWindowEndsAStalledCheckAtOnce)
{
    ScriptServer server(std::vector<ScriptedReply>{{"connected\n" + kEntryA, false, true}});
    usePort(server.port());
    d.tcpTimeouts = TcpTimeouts{};
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point closed{};
    ops.onPump = [&] {
        if (closed == std::chrono::steady_clock::time_point{} && std::chrono::steady_clock::now() - start > 300ms) {
            closed = std::chrono::steady_clock::now();
            RequestStop();
        }
    };
    queueCheck();
    EXPECT_THROW(RunnerTick(d), StopRequest);
    ClearStopRequest();
    EXPECT_LT(std::chrono::steady_clock::now() - closed, 500ms);
    EXPECT_FALSE(d.taskRunning);
    EXPECT_EQ(d.queue.taskWords(), "get ");
}

// Guards a server that keeps a list coming for ever, a byte at a time, so
// that no wait reaches the line time-out: the check as a whole ends at its
// own limit, keeping the entries that arrived whole, as after an early
// close. Without the limit the third entry, and the list's end, arrive too.
TEST_F(CheckWaitsTest, WholeCheckEndsAtItsLimitKeepingTheWholeEntries)
{
    std::vector<std::string> bytes;
    for (const char byte : std::string(300, 'c') + ".avi\nhttp://h/c\nref-c\n4000\n=END=\n")
        bytes.emplace_back(1, byte);
    ScriptServer server(std::vector<ScriptedReply>{{"connected\n" + kEntryA + kEntryB, false, true, bytes, 5ms}});
    usePort(server.port());
    d.tcpTimeouts.check = 1000ms;
    check();
    EXPECT_EQ(statusTexts().back(), "Соединение завершено. Добавлено 2 файлов на закачку");
    ASSERT_EQ(d.files.serverFileCount(), 2);
    EXPECT_EQ(d.files.at(2).fileName, "b.avi");
    EXPECT_EQ(d.queue.taskWords(), "down rem down rem get ");
}

// Guards re-entrancy now that the check pumps while it waits: runner ticks
// do nothing, and "Обновить" and the automatic check queue no second
// check behind the running one; no second check starts inside it. (The
// listed file's address does not resolve: its download fails in the same
// tick, leaving the closing check.)
TEST_F(CheckWaitsTest, TicksAndChecksDuringACheckQueueBehindIt)
{
    ScriptServer server(std::vector<ScriptedReply>{{"connected\n", false, false, {kEntryA, "=END=\n"}, 200ms}});
    usePort(server.port());
    bool asked = false;
    ops.onPump = [&] {
        RunnerTick(d);
        if (!asked && ops.status == "Посылка запроса...") {
            asked = true;
            QueueServerCheck(d);
            AutoCheckTick(d);
        }
    };
    queueCheck();
    RunnerTick(d);
    EXPECT_TRUE(asked);
    EXPECT_EQ(connectAttempts(), 1);
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(d.queue.taskWords(), "get ");
    EXPECT_FALSE(d.taskRunning);
}

} // namespace
} // namespace vexo
