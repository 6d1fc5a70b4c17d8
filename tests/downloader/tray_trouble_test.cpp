// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "downloader/trouble_episode.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/script_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::HttpAnswer;
using test::ListAnswer;
using test::ScriptServer;
using Texts = std::vector<std::string>;

const std::string kDown = "[!] Ошибка соединения";
const std::string kRefused = "[!] Ошибка авторизации";
const std::string kNotFound = "Ошибка, файл не найден на сервере";
const std::string kZeroSize = kNotFound + " (Нулевой размер)";
const std::string kBack = TroubleEpisode::kRecovered;

std::string Address(const ScriptServer& web)
{
    return "http://127.0.0.1:" + std::to_string(web.port()) + "/f";
}

class TrayTroubleTest : public test::CheckFixture {};

// Guards failures that the tray never showed: while checks fail (no
// connection, login refused, a file that keeps failing) the icon has its
// error look and names the last error, one notice says the first failure of
// an episode however many ticks fail, and one more says it works again.
TEST_F(TrayTroubleTest, TrayShowsEachFailureEpisodeOnce)
{
    std::chrono::steady_clock::time_point clock{};
    d.setClock([&clock] { return clock; });
    settings().writeInteger("Server", "RemMode", 1);
    const ScriptServer refused("error\n"), empty(ListAnswer({}));
    const ScriptServer web({{HttpAnswer("404 Not Found", "")}, {HttpAnswer("200 OK", "ok")}});
    const ScriptServer withFile(ListAnswer({{"late.avi", Address(web), "r", "2"}}));
    struct Step {
        int port;
        std::chrono::seconds later;
        int ticks;
        std::optional<std::string> lastError; // none in the icon's own look
        Texts notices;
    };
    for (const Step& step : std::vector<Step>{
             {test::RefusingPort(), 0s, 4, kDown, {kDown}}, // tick after tick
             {refused.port(), 0s, 2, kRefused, {kDown}},
             {empty.port(), 0s, 3, {}, {kDown, kBack}},
             {withFile.port(), 0s, 3, kZeroSize, {kDown, kBack, kNotFound}},  // listed again, waiting
             {withFile.port(), 61s, 2, {}, {kDown, kBack, kNotFound, kBack}}, // arrives after its pause
         }) {
        SCOPED_TRACE(step.notices.size());
        usePort(step.port);
        clock += step.later;
        for (int i = 0; i < step.ticks; ++i) {
            if (d.queue().empty())
                queueCheck();
            d.tick();
        }
        EXPECT_EQ(ops.trayTrouble, step.lastError);
        EXPECT_EQ(ops.trayNotices, step.notices);
    }
    EXPECT_EQ(d.downloadedThisSession(), 1);
}

// Guards boxes popping up over the desktop while the window sits in the
// tray: there the downloader's boxes, and an error that ends a download,
// go to the status bar and the tray instead; before the user they stay.
TEST_F(TrayTroubleTest, BoxesStayOffTheDesktopWhileTheWindowIsInTheTray)
{
    settings().writeInteger("Server", "RemMode", 1);
    for (const bool inTray : {false, true}) {
        SCOPED_TRACE(inTray);
        ops.inTray = inTray;
        ops.messages.clear();
        ops.statusHistory.clear();
        d.queue().clear();
        // New addresses each round: a file's second failure shows no box.
        const ScriptServer missing(HttpAnswer("404 Not Found", "")), full(HttpAnswer("200 OK", "data"));
        const ScriptServer listing(ListAnswer({{"a", Address(missing), "r", "1"}, {"b", Address(full), "r", "4"}}));
        usePort(listing.port());
        queueCheck();
        d.tick();
        const ScopedFileFaults fullDisk({.failWriteAfter = 0, .error = ENOSPC});
        if (inTray)
            EXPECT_NO_THROW(d.tick());
        else
            EXPECT_THROW(d.tick(), std::runtime_error);
        EXPECT_EQ(ops.messageTexts(), inTray ? Texts() : Texts({kNotFound, kZeroSize}));
        for (const std::string& box : {kNotFound, kZeroSize})
            EXPECT_EQ(std::ranges::count(ops.statusHistory, box), inTray ? 1 : 0) << box;
        EXPECT_EQ(ops.trayNotices.back(), kNotFound);
        ASSERT_TRUE(ops.trayTrouble && ops.trayTrouble->starts_with("[!] "));
        EXPECT_EQ(ops.status == *ops.trayTrouble, inTray);
    }
}

} // namespace
} // namespace vexo
