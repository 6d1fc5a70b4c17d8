// SPDX-License-Identifier: GPL-3.0-or-later
// The real program started with "--tray" on the test's X display, beside a
// tray host (trayer), and started a second time over it.
#include "base/settings_keys.h"
#include "base/settings_store.h"
#include "tests/display_support/display_test.h"
#include "tests/display_support/x_windows.h"
#include "tests/support/script_server.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::ScriptServer;
using test::StartedProgram;
using test::TempDir;
using test::TrayHost;
using test::WaitUntil;
using test::XWindows;

// The main window's title.
const QString kMainWindowTitle = QStringLiteral("^Vexorama 1");

// A copy of the program in a folder of its own, where it keeps its
// settings, pointed at a listing server that lists nothing; a tray host
// on the display.
class TrayStartTest : public ::testing::Test {
protected:
    TempDir root;
    const std::string program = root.file("program/vexorama");
    const std::string runtime = root.file("run");
    ScriptServer listing{"connected\n=END=\n"};
    std::unique_ptr<TrayHost> tray;

    void SetUp() override
    {
        if (!test::HasRealDisplay())
            VEXO_SKIP_OR_FAIL() << "needs an X display (xvfb-run)";
        if (!XWindows::Installed())
            VEXO_SKIP_OR_FAIL() << "needs xdotool (apt-get install xdotool)";
        if (!TrayHost::Installed())
            VEXO_SKIP_OR_FAIL() << "needs trayer (apt-get install trayer)";
        tray = std::make_unique<TrayHost>();
        ASSERT_TRUE(tray->up()) << "the tray host did not come up";
        std::filesystem::create_directories(root.file("program"));
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        std::filesystem::copy_file(test::BuildProgram(QStringLiteral("vexorama")).toStdString(), program);
        SettingsStore settings(program + ".INI");
        settings.writeString(settings::kServer, "127.0.0.1");
        settings.writeString(settings::kPort, std::to_string(listing.port()));
    }

    std::unique_ptr<StartedProgram> startProgram(const std::vector<std::string>& args)
    {
        return std::make_unique<StartedProgram>(
            program, args, test::Environment{{"QT_QPA_PLATFORM", "xcb"}, {"XDG_RUNTIME_DIR", runtime}});
    }
    static bool Shown(const StartedProgram& copy) { return !XWindows::Visible(copy.pid(), kMainWindowTitle).empty(); }
};

// Guards "--tray" starting with the window shown or the automatic check
// off (a login start that waits for the user): beside a tray host the
// window stays hidden, and the server is listed all the same.
TEST_F(TrayStartTest, TrayStartStaysHiddenAndChecksTheServer)
{
    const auto first = startProgram({"--tray"});
    ASSERT_TRUE(WaitUntil([&] { return !listing.requests().empty() || !first->running(); }, 30s))
        << "no automatic check";
    ASSERT_TRUE(first->running());
    EXPECT_FALSE(Shown(*first)) << "the window was shown";
    EXPECT_EQ(first->stop(SIGTERM, 10s), 128 + SIGTERM);
}

// Guards a second start opening a second window (and tray icon) beside the
// first: it exits 0 at once, and the window of the copy in the tray comes
// up.
TEST_F(TrayStartTest, SecondStartShowsTheWindowOfTheFirst)
{
    const auto first = startProgram({"--tray"});
    ASSERT_TRUE(WaitUntil([&] { return !listing.requests().empty() || !first->running(); }, 30s))
        << "the first copy did not come up";
    ASSERT_FALSE(Shown(*first));

    const auto second = startProgram({});
    EXPECT_EQ(second->waitForExit(10s), 0);
    EXPECT_TRUE(WaitUntil([&] { return Shown(*first); }, 10s)) << "the first copy's window was not shown";
    EXPECT_TRUE(first->running());
    EXPECT_EQ(first->stop(SIGTERM, 10s), 128 + SIGTERM);
}

} // namespace
} // namespace vexo
