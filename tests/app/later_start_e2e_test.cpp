// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/settings_keys.h"
#include "base/settings_store.h"
#include "tests/decoder/test_containers.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/script_server.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::PatternBytes;
using test::ReadFile;
using test::ScriptServer;
using test::TempDir;
using test::WriteFile;

using Clock = std::chrono::steady_clock;
using test::Environment;
using test::StartProgram;
using test::Surroundings;
using test::WaitForExit;

constexpr auto kPatience = std::chrono::seconds(30);

bool WaitFor(const std::function<bool()>& condition)
{
    const auto deadline = Clock::now() + kPatience;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Copies of the program, each in a folder of its own where it keeps its
// settings, sharing a runtime folder of the test's own, as one user's
// session would; all started offscreen.
class LaterStartEndToEnd : public ::testing::Test {
protected:
    LaterStartEndToEnd()
    {
        char pattern[] = "/tmp/vexo-run-XXXXXX"; // short: socket paths have a small limit
        runtime = ::mkdtemp(pattern);
        std::filesystem::create_directories(data);
    }
    ~LaterStartEndToEnd() override
    {
        for (const pid_t child : started) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        std::filesystem::remove_all(runtime);
    }

    // A copy of the program in `name`/, returning its path.
    std::string copyProgram(const std::string& name)
    {
        const std::string folder = root.file(name);
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(VEXORAMA_BINARY, folder + "/vexorama");
        return folder + "/vexorama";
    }
    pid_t start(const std::string& program, const std::vector<std::string>& args, const Surroundings& surroundings = {})
    {
        const pid_t child =
            StartProgram(program, args, {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", runtime}}, surroundings);
        started.push_back(child);
        return child;
    }
    // The exit status of a started copy that ends by itself (see WaitForExit).
    int finish(pid_t child, std::chrono::seconds limit = kPatience)
    {
        const int status = WaitForExit(child, limit);
        std::erase(started, child);
        return status;
    }
    // Ends a started copy as a logout would.
    void stop(pid_t child)
    {
        ::kill(child, SIGTERM);
        finish(child);
    }
    // Whether a started copy still runs; it is left to be waited for.
    static bool running(pid_t child) { return test::Running(child); }
    std::vector<std::string> sockets() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(runtime))
            if (entry.is_socket())
                found.push_back(entry.path().string());
        return found;
    }
    static std::string storedFolder(const std::string& program)
    {
        return SettingsStore(program + ".INI").readString("Prog", "Folder", "");
    }

    TempDir root;
    std::string runtime;
    const std::string data = root.file("data");
    const std::string program = copyProgram("program");
    std::vector<pid_t> started;
};

// Guards: a second start on the same settings opening a second window and
// tray icon that check and fetch the same files. It hands its folder to the
// running copy, over a socket no other user can open, and exits 0 at once.
TEST_F(LaterStartEndToEnd, SecondStartHandsItsFolderToTheRunningCopy)
{
    const pid_t first = start(program, {});
    ASSERT_TRUE(WaitFor([&] { return sockets().size() == 1; })) << "the first copy never listened";
    struct stat socket {};
    ASSERT_EQ(::stat(sockets().front().c_str(), &socket), 0);
    EXPECT_EQ(socket.st_mode & 077, 0u);
    ASSERT_TRUE(WaitFor([&] { return !storedFolder(program).empty(); }));
    ASSERT_NE(storedFolder(program), data);

    EXPECT_EQ(finish(start(program, {data})), 0);
    EXPECT_TRUE(WaitFor([&] { return storedFolder(program) == data; })) << storedFolder(program);
    EXPECT_TRUE(running(first));
    stop(first);
}

// Guards: one instance for every copy of the program, whatever its
// settings: a copy with settings of its own (a portable folder) runs beside.
TEST_F(LaterStartEndToEnd, CopiesWithSettingsOfTheirOwnRunSideBySide)
{
    const pid_t first = start(program, {});
    ASSERT_TRUE(WaitFor([&] { return sockets().size() == 1; }));
    const pid_t other = start(copyProgram("portable"), {});
    EXPECT_TRUE(WaitFor([&] { return sockets().size() == 2; })) << "the second copy did not run on its own";
    EXPECT_TRUE(running(other));
    EXPECT_TRUE(running(first));
    stop(other);
    stop(first);
}

// Guards: the socket of a copy that was killed (or crashed) keeping every
// later start from running: one that finds nobody behind it takes it over.
TEST_F(LaterStartEndToEnd, SocketLeftByAKilledCopyDoesNotBlockTheNextStart)
{
    const pid_t killed = start(program, {});
    ASSERT_TRUE(WaitFor([&] { return sockets().size() == 1; }));
    ::kill(killed, SIGKILL);
    ASSERT_EQ(finish(killed), -1);
    ASSERT_EQ(sockets().size(), 1u) << "no socket was left behind";

    const pid_t next = start(program, {data});
    ASSERT_TRUE(WaitFor([&] { return storedFolder(program) == data; })) << "the next start did not run";
    // It listens in its turn: a third start hands over to it.
    const std::string other = root.file("other");
    std::filesystem::create_directories(other);
    EXPECT_EQ(finish(start(program, {other})), 0);
    EXPECT_TRUE(WaitFor([&] { return storedFolder(program) == other; }));
    stop(next);
}

// Guards "--tray" taken as a working folder (a box saying that it does not
// exist, waiting for a click), the window shown and the automatic check
// off. It starts in the tray and checks the server by itself.
TEST_F(LaterStartEndToEnd, TrayStartChecksTheServerByItself)
{
    ScriptServer server("connected\n=END=\n");
    SettingsStore settings(program + ".INI");
    settings.writeString(settings::kServer, "127.0.0.1");
    settings.writeString(settings::kPort, std::to_string(server.port()));

    const pid_t tray = start(program, {"--tray"});
    EXPECT_TRUE(WaitFor([&] { return !server.requests().empty(); })) << "no automatic check";
    EXPECT_EQ(storedFolder(program), root.file("program") + "/");
    stop(tray);
}

// Guards "-h" or a mistyped option taken as the working folder: the window
// opened behind a box saying that the folder does not exist, and the
// settings file was written. "-h" is "--help"; an unknown option is named
// on standard error with the usage line and ends the start with 2 before
// any setting is read or written. Qt's own options still pass.
TEST_F(LaterStartEndToEnd, UnknownOptionIsAUsageErrorThatTouchesNoSetting)
{
    const std::string output = root.file("output");
    const std::string errors = root.file("errors");
    EXPECT_EQ(finish(start(program, {"-h"}, {.outputFile = output})), 0);
    EXPECT_EQ(ReadFile(output).rfind("Использование: vexorama [/a] [/d] [--tray] [ПАПКА]\n", 0), 0u)
        << ReadFile(output);

    EXPECT_EQ(finish(start(program, {"--colour", data}, {.errorFile = errors})), 2);
    EXPECT_EQ(ReadFile(errors), "vexorama: неизвестный параметр: --colour\n"
                                "Использование: vexorama [/a] [/d] [--tray] [ПАПКА]\n");
    EXPECT_FALSE(test::FileExists(program + ".INI"));

    WriteFile(program + ".INI", "[Prog]\nFolder=" + data + "\nAutoDel=0\n");
    EXPECT_EQ(finish(start(program, {"/d", "-x"})), 2);
    EXPECT_EQ(ReadFile(program + ".INI"), "[Prog]\nFolder=" + data + "\nAutoDel=0\n");
    EXPECT_TRUE(sockets().empty());

    EXPECT_EQ(finish(start(program, {"-platform", "offscreen", "-style", "Fusion", "/a", data})), 0);
}

// Guards "vexorama ." storing "." as the working folder, so that later
// starts from the menu worked in whatever folder they started in. A folder
// argument is stored absolute, resolved in the folder of the start that
// gave it, the running window's too when it is handed over.
TEST_F(LaterStartEndToEnd, FolderArgumentIsStoredAbsolute)
{
    const pid_t first = start(program, {"."}, {.currentFolder = data});
    ASSERT_TRUE(WaitFor([&] { return sockets().size() == 1; })) << "the first copy never listened";
    EXPECT_TRUE(WaitFor([&] { return storedFolder(program) == data; })) << storedFolder(program);

    const std::string other = root.file("other");
    std::filesystem::create_directories(other + "/inner");
    EXPECT_EQ(finish(start(program, {"inner/../"}, {.currentFolder = other})), 0);
    EXPECT_TRUE(WaitFor([&] { return storedFolder(program) == other + "/"; })) << storedFolder(program);
    stop(first);
}

// Guards a start aborting (status 134) where there is no display at all, as
// under cron or over ssh: "/a" runs offscreen, decodes and exits with 0; the
// window says on standard error why it cannot open, exits with 1 and
// touches no setting.
TEST_F(LaterStartEndToEnd, StartsWithoutAnyDisplay)
{
    const Environment noDisplay = {{"QT_QPA_PLATFORM", std::nullopt},
                                   {"DISPLAY", std::nullopt},
                                   {"WAYLAND_DISPLAY", std::nullopt},
                                   {"XDG_RUNTIME_DIR", runtime}};
    const std::string errors = root.file("errors");
    EXPECT_EQ(WaitForExit(StartProgram(program, {data}, noDisplay, {.errorFile = errors}), kPatience), 1);
    EXPECT_EQ(ReadFile(errors).rfind("vexorama: нет дисплея: ", 0), 0u) << ReadFile(errors);
    EXPECT_FALSE(test::FileExists(program + ".INI"));

    const std::string plain = PatternBytes(70000, 6);
    WriteFile(data + "/x.avi", ContainerBytes(plain, 0x3C, "", "clip.bin"));
    const pid_t run = StartProgram(program, {"/a", data}, noDisplay);
    started.push_back(run);
    EXPECT_EQ(finish(run, std::chrono::seconds(60)), 0);
    EXPECT_TRUE(ReadFile(data + "/clip.bin") == plain);
}

} // namespace
} // namespace vexo
