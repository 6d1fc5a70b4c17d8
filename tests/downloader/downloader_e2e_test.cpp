// SPDX-License-Identifier: GPL-3.0-or-later
// The server downloader end to end: the program's window and logic against
// vexo-server on loopback, three waiting files, one of them handed out as
// an encoded container.
#include "app/main_window.h"
#include "app/server_grid.h"
#include "app/status_bar.h"
#include "app/tray_icon.h"
#include "app/window_timer.h"
#include "base/settings_store.h"
#include "decoder/container_format.h"
#include "decoder/encoded_file.h"
#include "downloader/line_reader.h"
#include "downloader/server_answer.h"
#include "downloader/server_files.h"
#include "tests/display_support/display_test.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/scoped_env.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/temp_dir.h"

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WaitUntil;
using test::WriteFile;

// vexo-server over a folder of three files; *.bmp is handed out encoded.
struct Service {
    TempDir folder;
    std::map<std::string, std::string> files = {{"clip.avi", PatternBytes(300000, 1)},
                                                {"Заметки.txt", PatternBytes(5000, 2)},
                                                {"photo.bmp", PatternBytes(70000, 3)}};
    std::unique_ptr<ChildProcess> process;
    int tcpPort = 0;
    int httpPort = 0;

    Service()
    {
        for (const auto& [name, content] : files)
            WriteFile(folder.file(name), content);
        process = std::make_unique<ChildProcess>(
            test::BuildProgram(QStringLiteral("vexo-server")),
            QStringList{QStringLiteral("--folder"), QString::fromStdString(folder.path()), QStringLiteral("--tcp-port"),
                        QStringLiteral("0"), QStringLiteral("--http-port"), QStringLiteral("0"),
                        QStringLiteral("--wrap"), QStringLiteral("*.bmp"), QStringLiteral("--seed"),
                        QStringLiteral("7")});
        const QRegularExpression ports(
            QStringLiteral("listing on 127\\.0\\.0\\.1:(\\d+), web site on 127\\.0\\.0\\.1:(\\d+)"));
        WaitUntil([&] { return ports.match(process->output()).hasMatch() || !process->running(); }, 10s);
        const QRegularExpressionMatch found = ports.match(process->output());
        if (found.hasMatch()) {
            tcpPort = found.captured(1).toInt();
            httpPort = found.captured(2).toInt();
        }
    }
    bool up() const { return tcpPort != 0; }
    // How many files the server has removed so far.
    int removals() { return static_cast<int>(process->output().count(QStringLiteral("removed \""))); }

    // What a check would list now, asked directly.
    int listed() const
    {
        TcpClient client;
        if (!client.connect("127.0.0.1", std::to_string(tcpPort)))
            return -1;
        client.send("test:demo:is_files\n\r\n");
        auto table = std::make_unique<ServerFiles>();
        return ReadServerAnswer(client, *table) == AnswerKind::Connected ? table->serverFileCount() : -1;
    }
};

class DownloaderEndToEndTest : public ::testing::Test {
protected:
    Service service;
    TempDir programFolder;
    TempDir downloads;
    // Files kept on the server are remembered in the user's state folder.
    TempDir stateHome;
    test::ScopedEnv stateHomeEnv{"XDG_STATE_HOME", stateHome.path()};
    std::unique_ptr<MainWindow> window;

    void start(int remMode, int refresh)
    {
        ASSERT_TRUE(service.up()) << service.process->output().toStdString();
        SettingsStore settings(programFolder.file("vexorama.INI"));
        settings.writeString("Prog", "Folder", downloads.path());
        settings.writeString("Server", "Name", "127.0.0.1:" + std::to_string(service.httpPort));
        settings.writeString("Server", "Port", std::to_string(service.tcpPort));
        settings.writeInteger("Server", "RemMode", remMode);
        settings.writeInteger("Server", "Refresh", refresh);
        window = std::make_unique<MainWindow>(programFolder.file("vexorama"), CommandLine{});
        window->showCentred();
    }

    // The files fetched since start-up, as the tray icon's hint counts them.
    int fetchedThisSession() const
    {
        const QString hint = window->controls().trayIcon->toolTip();
        const QString count = QStringLiteral("За сеанс: ");
        const qsizetype at = hint.indexOf(count);
        return at < 0 ? -1 : hint.mid(at + count.size()).section(QLatin1Char('\n'), 0, 0).toInt();
    }
    // The tasks waiting in the queue, as the status bar shows them.
    std::string queuedTasks() const { return window->controls().statusBar->panelText(1).toStdString(); }
    // A tick of the task runner's timer.
    void runnerTick() { emit window->controls().runnerTimer->tick(); }

    // The plain files arrived byte for byte; the container holds the plain
    // photo under its own name.
    void expectDownloadedFiles()
    {
        EXPECT_EQ(ReadFile(downloads.file("clip.avi")), service.files["clip.avi"]);
        EXPECT_EQ(ReadFile(downloads.file("Заметки.txt")), service.files["Заметки.txt"]);
        // The container is listed under a name of its own.
        std::vector<std::string> others;
        for (const auto& entry : std::filesystem::directory_iterator(downloads.path())) {
            const std::string name = entry.path().filename().string();
            if (name != "clip.avi" && name != "Заметки.txt")
                others.push_back(name);
        }
        ASSERT_EQ(others.size(), 1u);
        const std::string container = ReadFile(downloads.file(others.front()));
        ASSERT_GT(container.size(), static_cast<std::size_t>(kTrailerSize));
        const std::optional<TrailerFields> trailer =
            ParseTrailer(std::string_view(container).substr(container.size() - kTrailerSize),
                         static_cast<std::int64_t>(container.size()));
        ASSERT_TRUE(trailer.has_value());
        EXPECT_EQ(RealNameFromStored(trailer->storedName, false), "photo.bmp");
        std::string data =
            container.substr(static_cast<std::size_t>(trailer->dataOffset),
                             container.size() - kTrailerSize - static_cast<std::size_t>(trailer->dataOffset));
        XorBlock(reinterpret_cast<unsigned char*>(data.data()), data.size(), trailer->key);
        EXPECT_EQ(data, service.files["photo.bmp"]);
    }
};

// Guards the whole road in mode 3, driven by the program's own timers: a
// click on "Обновить" lists the three files, they arrive byte for byte,
// the server keeps them and lists them again.
TEST_F(DownloaderEndToEndTest, ModeThreeFetchesEverythingAndLeavesItListed)
{
    start(3, 1);
    window->controls().checkServerButton->click();
    // Stop at the closing check, before it lists the files again: the
    // first check is the one before the grid lists the files.
    const bool done = WaitUntil(
        [&] {
            if (window->controls().serverFileGrid->rowCount() != 4 || queuedTasks() != "get ")
                return false;
            emit window->controls().statusBar->clicked();
            return true;
        },
        60s);
    ASSERT_TRUE(done) << window->controls().statusBar->panelText(0).toStdString();
    // The tray's hint keeps its pace: the last count may come a second late.
    EXPECT_TRUE(WaitUntil([&] { return fetchedThisSession() == 3; }, 5s)) << fetchedThisSession();
    EXPECT_EQ(queuedTasks(), "");
    EXPECT_EQ(window->controls().serverFileGrid->rowCount(), 4);
    expectDownloadedFiles();
    EXPECT_EQ(service.listed(), 3);
    EXPECT_EQ(service.removals(), 0);
}

// Guards the removal in mode 2: every fetched file is removed on the
// server through the real hidden web view, and the closing check lists
// nothing. Needs a display and the web engine module.
TEST_F(DownloaderEndToEndTest, ModeTwoRemovesEveryFileThroughTheHiddenView)
{
    if (!test::HasRealDisplay())
        VEXO_SKIP_OR_FAIL() << "needs an X display (run under xvfb-run)";
    if (!QFile::exists(test::BuildProgram(QStringLiteral("vexorama_web.so"))))
        VEXO_SKIP_OR_FAIL() << "the web engine module was not built";
    start(2, 3600);
    // The test gives the ticks itself, each once the last removal has
    // reached the server: a new address in the hidden view would cut short
    // a load still under way.
    window->controls().runnerTimer->setInterval(0);
    window->controls().checkServerButton->click();
    for (int tick = 1; tick <= 3; ++tick) {
        runnerTick();
        ASSERT_TRUE(WaitUntil([&] { return service.removals() == tick; }, 60s)) << "removal " << tick;
    }
    EXPECT_EQ(queuedTasks(), "get ");
    runnerTick();
    EXPECT_EQ(queuedTasks(), "");
    EXPECT_EQ(window->controls().statusBar->panelText(0).toStdString(),
              "Соединение завершено. Добавлено 0 файлов на закачку");
    EXPECT_EQ(window->controls().serverFileGrid->rowCount(), 4);
    // The tray hint goes out at most once a second: the last count comes
    // with its timer.
    EXPECT_TRUE(WaitUntil([&] { return fetchedThisSession() == 3; }, 10s)) << fetchedThisSession();
    expectDownloadedFiles();
    EXPECT_EQ(service.listed(), 0);
}

} // namespace
} // namespace vexo
