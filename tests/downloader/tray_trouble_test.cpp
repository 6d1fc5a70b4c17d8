// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "downloader/trouble_episode.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/script_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::HttpAnswer;
using test::ListAnswer;
using test::ScriptedReply;
using test::ScriptServer;

const std::string kNoConnection = "[!] Ошибка соединения";
const std::string kRefused = "[!] Ошибка авторизации";
const std::string kNotFound = "Ошибка, файл не найден на сервере";
const std::string kZeroSize = "Ошибка, файл не найден на сервере (Нулевой размер)";
const std::string kRecovered = TroubleEpisode::kRecovered;

std::string Address(const ScriptServer& web)
{
    return "http://127.0.0.1:" + std::to_string(web.port()) + "/f";
}

class TrayTroubleTest : public test::CheckFixture {
protected:
    std::chrono::steady_clock::time_point clock{};

    TrayTroubleTest()
    {
        d.setClock([this] { return clock; });
        settings().writeInteger("Server", "RemMode", 1);
    }
    // Runner ticks, with a check queued whenever the queue ran empty.
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            if (d.queue().empty())
                queueCheck();
            d.tick();
        }
    }
};

// Guards failures that the tray never showed: while checks fail (no
// connection, login refused, a file that keeps failing) the icon has its
// error look and names the last error, one notice says the first failure of
// an episode however many ticks fail, and one more says it works again.
TEST_F(TrayTroubleTest, OneNoticePerFailureEpisodeAndOneWhenItWorksAgain)
{
    const ScriptServer refused("error\n");
    const ScriptServer empty(ListAnswer({}));
    const ScriptServer web(std::vector<ScriptedReply>{{HttpAnswer("404 Not Found", "")}, {HttpAnswer("200 OK", "ok")}});
    const ScriptServer withFile(ListAnswer({{"late.avi", Address(web), "r", "2"}}));
    struct Step {
        const char* what;
        int port;
        std::chrono::seconds later;
        int ticks;
        std::string lastError; // "" when the tray has its own look
        std::vector<std::string> notices;
    };
    const std::vector<Step> steps = {
        {"server down, tick after tick", test::RefusingPort(), 0s, 4, kNoConnection, {kNoConnection}},
        {"login refused", refused.port(), 0s, 2, kRefused, {kNoConnection}},
        {"works again", empty.port(), 0s, 1, "", {kNoConnection, kRecovered}},
        {"keeps working", empty.port(), 0s, 3, "", {kNoConnection, kRecovered}},
        {"a file fails, and is listed again",
         withFile.port(),
         0s,
         3,
         kZeroSize,
         {kNoConnection, kRecovered, kNotFound}},
        {"the file arrives after its pause",
         withFile.port(),
         61s,
         2,
         "",
         {kNoConnection, kRecovered, kNotFound, kRecovered}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        usePort(step.port);
        clock += step.later;
        ticks(step.ticks);
        EXPECT_EQ(ops.trayTroubled, !step.lastError.empty());
        EXPECT_EQ(ops.trayLastError, step.lastError);
        EXPECT_EQ(ops.trayNotices, step.notices);
    }
    EXPECT_EQ(web.requests().size(), 2u);
    EXPECT_EQ(d.downloadedThisSession(), 1);
}

// Guards boxes popping up over the desktop while the window sits in the
// tray: there the downloader's boxes (and an error that ends a download)
// go to the status bar and the tray's notice; before the user they stay
// boxes.
TEST_F(TrayTroubleTest, BoxesGoToTheStatusBarAndTheNoticeWhileInTheTray)
{
    for (const bool inTray : {false, true}) {
        SCOPED_TRACE(inTray ? "in the tray" : "shown");
        ops.inTray = inTray;
        ops.messages.clear();
        ops.trayNotices.clear();
        ops.statusHistory.clear();
        d.queue().clear();
        // A new address each round: a file's second failure shows no box.
        const ScriptServer missing(HttpAnswer("404 Not Found", ""));
        const ScriptServer full(HttpAnswer("200 OK", "data"));
        const ScriptServer listing(
            ListAnswer({{"gone.avi", Address(missing), "r1", "1"}, {"full.avi", Address(full), "r2", "4"}}));
        usePort(listing.port());
        queueCheck();
        d.tick();
        {
            const ScopedFileFaults fullDisk({.failWriteAfter = 0, .error = ENOSPC});
            if (inTray)
                EXPECT_NO_THROW(d.tick());
            else
                EXPECT_THROW(d.tick(), std::runtime_error);
        }
        const std::vector<std::string> boxes = {kNotFound, kZeroSize};
        EXPECT_EQ(ops.messageTexts(), inTray ? std::vector<std::string>{} : boxes);
        for (const std::string& box : boxes)
            EXPECT_EQ(std::count(ops.statusHistory.begin(), ops.statusHistory.end(), box), inTray ? 1 : 0) << box;
        // Told once, in or out of sight: the tray shows it while out of sight.
        EXPECT_EQ(ops.trayNotices.back(), kNotFound);
        // The error that ended the second download is the tray's last one.
        EXPECT_TRUE(ops.trayLastError.starts_with("[!] ")) << ops.trayLastError;
        EXPECT_EQ(ops.status == ops.trayLastError, inTray);
        EXPECT_EQ(d.queue().taskWords(), "get ");
    }
}

} // namespace
} // namespace vexo
