// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/stop_request.h"
#include "downloader/task_runner.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/pump_count.h"
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
    test::PumpCount pumps;

    CheckWaitsTest()
    {
        ops.onPump = [this] { pumps.pumped(); };
    }
    // One check straight through Downloader::checkServer.
    void check()
    {
        queueCheck();
        d.checkServer();
    }
    int connectAttempts() const
    {
        return static_cast<int>(std::count(ops.statusHistory.begin(), ops.statusHistory.end(), "Цепляюсь..."));
    }
};

// Guards the window freezing while the check waits: a connect that hangs,
// a line that stops half way, a list that trickles in. The window closed at
// the 25th pump of the hanging connect ends it, and the peer sends each
// further piece only once the check has pumped 25 times since the last one;
// a wait that pumps fewer than five times a second runs on to its limit of
// five seconds first (the benchmark measures the real gaps).
TEST_F(CheckWaitsTest, EveryWaitOfTheCheckPumps)
{
    {
        SCOPED_TRACE("connect that hangs");
        test::StuckListener stuck;
        usePort(stuck.port());
        timeouts.connect = 5s;
        d.setTcpTimeouts(timeouts);
        int connectPumps = 0;
        ops.onPump = [&] {
            if (ops.status == "Цепляюсь..." && ++connectPumps == 25)
                RequestStop();
        };
        EXPECT_THROW(check(), StopRequest);
        ClearStopRequest();
        ops.onPump = [this] { pumps.pumped(); };
        timeouts.connect = 600ms;
        d.setTcpTimeouts(timeouts);
        check();
        EXPECT_EQ(statusTexts().back(), "[!] Ошибка соединения");
    }
    timeouts.line = 5s;
    d.setTcpTimeouts(timeouts);
    {
        SCOPED_TRACE("line that stops half way");
        ScriptedReply reply{"connected\n" + kEntryA + "b.avi", false, false, {kEntryB.substr(5) + "=END=\n"}};
        reply.goOn = pumps.gate(25);
        ScriptServer server(std::vector<ScriptedReply>{reply});
        usePort(server.port());
        check();
        EXPECT_EQ(statusTexts().back(), "Соединение завершено. Добавлено 2 файлов на закачку");
    }
    {
        SCOPED_TRACE("list that trickles in");
        ScriptedReply reply{"connected\n", false, false, {kEntryA, kEntryB, "=END=\n"}};
        reply.goOn = pumps.gate(25);
        ScriptServer server(std::vector<ScriptedReply>{reply});
        usePort(server.port());
        check();
        EXPECT_EQ(statusTexts().back(), "Соединение завершено. Добавлено 2 файлов на закачку");
    }
}

// Guards closing the window during a check on a server that went silent:
// the check waited for the line time-out (30 s) first. The stop from the
// pump ends it there: the rest of the list, which the peer sends only once
// the window has closed, is never taken, and the check stays queued.
TEST_F(CheckWaitsTest, ClosingTheWindowEndsAStalledCheckAtOnce)
{
    ScriptedReply reply{"connected\n" + kEntryA, false, true, {kEntryB + "=END=\n"}};
    reply.goOn = [] { return StopRequested(); };
    ScriptServer server(std::vector<ScriptedReply>{reply});
    usePort(server.port());
    d.setTcpTimeouts(TcpTimeouts{});
    int silentPumps = 0;
    ops.onPump = [&] {
        if (d.files().serverFileCount() == 1 && ++silentPumps == 10)
            RequestStop();
    };
    queueCheck();
    EXPECT_THROW(d.tick(), StopRequest);
    ClearStopRequest();
    EXPECT_EQ(d.files().serverFileCount(), 1);
    EXPECT_FALSE(d.running());
    EXPECT_EQ(d.queue().taskWords(), "get ");
}

// Guards a server that keeps a list coming for ever, a byte at a time, so
// that no wait reaches the line time-out: the check as a whole ends at its
// own limit, keeping the entries that arrived whole, as after an early
// close. Without the limit the third entry, and the list's end, arrive too.
TEST_F(CheckWaitsTest, WholeCheckEndsAtItsLimitKeepingTheWholeEntries)
{
    std::string list(300, 'c');
    list += ".avi\nhttp://h/c\nref-c\n4000\n=END=\n";
    std::vector<std::string> bytes;
    for (const char byte : list)
        bytes.emplace_back(1, byte);
    ScriptServer server(std::vector<ScriptedReply>{{"connected\n" + kEntryA + kEntryB, false, true, bytes, 5ms}});
    usePort(server.port());
    timeouts.check = 1000ms;
    d.setTcpTimeouts(timeouts);
    check();
    EXPECT_EQ(statusTexts().back(), "Соединение завершено. Добавлено 2 файлов на закачку");
    ASSERT_EQ(d.files().serverFileCount(), 2);
    EXPECT_EQ(d.files().at(2).fileName, "b.avi");
    EXPECT_EQ(d.queue().taskWords(), "down rem down rem get ");
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
        d.tick();
        if (!asked && ops.status == "Посылка запроса...") {
            asked = true;
            d.queueCheck();
            d.autoCheckTick();
        }
    };
    queueCheck();
    d.tick();
    EXPECT_TRUE(asked);
    EXPECT_EQ(connectAttempts(), 1);
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(d.queue().taskWords(), "get ");
    EXPECT_FALSE(d.running());
}

} // namespace
} // namespace vexo
