// SPDX-License-Identifier: GPL-3.0-or-later
// What arrives from vexo-server decoded by itself: the program's window,
// started in the tray as a login start does, with nothing clicked.
#include "app/main_window.h"
#include "app/window_timer.h"
#include "base/settings_store.h"
#include "tests/display_support/display_test.h"
#include "tests/support/box_answerer.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WaitUntil;
using test::WriteFile;

class ArrivalsEndToEndTest : public ::testing::Test {
protected:
    // Two plain files and the two parts of a third, each handed out as a
    // container under a name of the server's.
    std::map<std::string, std::string> files = {{"Отпуск.png", PatternBytes(3000, 1)},
                                                {"clip.mp4", PatternBytes(5000, 2)},
                                                {"movie.mkv.aa", PatternBytes(20000, 3)},
                                                {"movie.mkv.ab", PatternBytes(15000, 4)}};
    TempDir served;
    TempDir programFolder;
    TempDir downloads;
    TempDir stateHome;
    test::ScopedEnv stateHomeEnv{"XDG_STATE_HOME", stateHome.path()};
    std::unique_ptr<ChildProcess> server;
    std::unique_ptr<MainWindow> window;
    QTimer runner;

    void start(bool decodeArrivals)
    {
        for (const auto& [name, content] : files)
            WriteFile(served.file(name), content);
        server = std::make_unique<ChildProcess>(
            test::BuildProgram(QStringLiteral("vexo-server")),
            QStringList{QStringLiteral("--folder"), QString::fromStdString(served.path()), QStringLiteral("--tcp-port"),
                        QStringLiteral("0"), QStringLiteral("--http-port"), QStringLiteral("0"),
                        QStringLiteral("--wrap"), QStringLiteral("*")});
        const QRegularExpression ports(
            QStringLiteral("listing on 127\\.0\\.0\\.1:(\\d+), web site on 127\\.0\\.0\\.1:(\\d+)"));
        ASSERT_TRUE(WaitUntil([&] { return ports.match(server->output()).hasMatch(); }, 10s));
        const QRegularExpressionMatch found = ports.match(server->output());

        SettingsStore settings(programFolder.file("vexorama.INI"));
        settings.writeString("Prog", "Folder", downloads.path());
        settings.writeBool("Prog", "AutoDel", true);
        settings.writeBool("Prog", "DecodeArrivals", decodeArrivals);
        settings.writeBool("Prog", "AutoCheck", true);
        settings.writeString("Server", "Name", "127.0.0.1:" + found.captured(2).toStdString());
        settings.writeString("Server", "Port", found.captured(1).toStdString());
        settings.writeInteger("Server", "RemMode", 3);
        // Started as the user left it: the automatic check on, nothing
        // clicked, the window out of sight.
        window = std::make_unique<MainWindow>(programFolder.file("vexorama"), CommandLine{});
        // The runner's ticks come faster than "Refresh" can say.
        QObject::connect(&runner, &QTimer::timeout, [this] { emit window->controls().runnerTimer->tick(); });
        runner.start(50);
    }

    std::set<std::string> visibleFiles() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(downloads.path())) {
            if (entry.path().filename().string().front() != '.')
                names.insert(entry.path().filename().string());
        }
        return names;
    }
};

// Guards the user's files staying containers while the window sits in the
// tray: they are decoded and the parts joined, byte for byte, the
// containers and the parts gone, and no box waits for anyone.
TEST_F(ArrivalsEndToEndTest, DecodesAndJoinsWhatArrivesWithoutABox)
{
    test::BoxAnswerer boxes;
    start(true);
    const std::set<std::string> real{"Отпуск.png", "clip.mp4", "movie.mkv"};
    ASSERT_TRUE(WaitUntil([&] { return visibleFiles() == real; }, 20s)) << testing::PrintToString(visibleFiles());
    EXPECT_EQ(ReadFile(downloads.file("Отпуск.png")), files["Отпуск.png"]);
    EXPECT_EQ(ReadFile(downloads.file("clip.mp4")), files["clip.mp4"]);
    EXPECT_EQ(ReadFile(downloads.file("movie.mkv")), files["movie.mkv.aa"] + files["movie.mkv.ab"]);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

// Guards a run with the box unticked: the four containers
// arrive and stay as they came, through the closing check and more ticks.
TEST_F(ArrivalsEndToEndTest, LeavesTheContainersWithTheBoxUnticked)
{
    start(false);
    ASSERT_TRUE(WaitUntil([&] { return visibleFiles().size() == 4; }, 20s));
    WaitUntil([] { return false; }, 1500ms);
    for (const std::string& name : visibleFiles())
        EXPECT_TRUE(files.count(name) == 0 && (name.ends_with(".jpg") || name.ends_with(".avi"))) << name;
    EXPECT_EQ(visibleFiles().size(), 4u);
}

} // namespace
} // namespace vexo
