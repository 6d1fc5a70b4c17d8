// SPDX-License-Identifier: GPL-3.0-or-later
// Removal mode 2 over the recording fake: the hidden page's loads and how
// they end, as the window reports it.
#include "downloader/downloader_events.h"
#include "downloader/task_runner.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/script_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vexo {
namespace {

using test::ListAnswer;
using test::ReadFile;
using test::ScriptServer;

const char* const kNotRemoved = "[!] Файл не удалён с сервера (";

class BackgroundRemovalTest : public test::CheckFixture {
protected:
    // One web server for the file's body, one listing server that lists it
    // at every check, as a server does whose removals never arrive.
    ScriptServer web{"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 4\r\n\r\nbody"};
    ScriptServer list{
        ListAnswer({{"a.avi", "http://127.0.0.1:" + std::to_string(web.port()) + "/a", "del.php?f=a", "4"}})};
    const std::string removal = "http://127.0.0.1:8080/uploader/del.php?f=a";

    BackgroundRemovalTest()
    {
        d.setServerAddress({"127.0.0.1:8080", std::to_string(list.port())});
        settings().writeInteger("Server", "RemMode", 2);
    }

    void check()
    {
        queueCheck();
        for (int tick = 0; tick < 4 && !d.queue().empty(); ++tick)
            d.tick();
        ASSERT_TRUE(d.queue().empty());
    }
    long removalLoads() const
    {
        return std::count(ops.loads.begin(), ops.loads.end(), std::pair{WebPage::Removal, removal});
    }
    long failuresTold() const
    {
        return std::count_if(ops.statusHistory.begin(), ops.statusHistory.end(),
                             [](const std::string& text) { return text.starts_with(kNotRemoved); });
    }
};

// Guards a removal page that did not load (refused, an HTTP error status)
// in mode 2: nothing was said, and the file, which had arrived, was never
// removed, as the next checks skipped it. The first failure is said once in
// the status bar, the next check loads the removal again without fetching
// the file a second time, and once a removal has loaded no check repeats it.
TEST_F(BackgroundRemovalTest, FailedRemovalPageIsToldOnceAndTriedAgainAtTheNextCheck)
{
    check();
    EXPECT_EQ(ReadFile(dir.file("a.avi")), "body");
    ASSERT_EQ(removalLoads(), 1);
    d.removalPageLoaded(removal, false);
    EXPECT_EQ(failuresTold(), 1);
    EXPECT_NE(ops.status.find(removal), std::string::npos) << ops.status;

    check();
    EXPECT_EQ(removalLoads(), 2);
    d.removalPageLoaded(removal, false);
    EXPECT_EQ(failuresTold(), 1);

    check();
    EXPECT_EQ(removalLoads(), 3);
    d.removalPageLoaded(removal, true);
    check();
    check();
    EXPECT_EQ(removalLoads(), 3);
    EXPECT_EQ(web.requests().size(), 1u);
    EXPECT_FALSE(test::FileExists(dir.file("(1)a.avi")));
    EXPECT_TRUE(ops.messages.empty());
    EXPECT_EQ(failuresTold(), 1);
}

// Guards mode 1 taking up the hidden page's failures: the browser's removal
// stays fire-and-forget, and a report about an address the page was never
// given changes nothing.
TEST_F(BackgroundRemovalTest, BrowserRemovalsAndStrayReportsAreNotRetried)
{
    settings().writeInteger("Server", "RemMode", 1);
    check();
    ASSERT_EQ(ops.opened, std::vector<std::string>{removal + "&close=1"});
    d.removalPageLoaded(removal, false);
    d.removalPageLoaded(removal + "&close=1", false);
    check();
    EXPECT_EQ(ops.opened.size(), 1u);
    EXPECT_TRUE(ops.loads.empty());
    EXPECT_EQ(failuresTold(), 0);
    EXPECT_EQ(web.requests().size(), 1u);
}

} // namespace
} // namespace vexo
