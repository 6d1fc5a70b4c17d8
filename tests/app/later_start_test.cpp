// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/tray_bindings.h"
#include "app/tray_icon.h"
#include "app/window_timer.h"
#include "base/local_socket.h"
#include "base/settings_store.h"
#include "tests/support/box_answerer.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace vexo {
namespace {

using test::TempDir;

// A window started as "--tray" starts it, with the tray's presence decided
// by the test rather than by the (offscreen) platform.
class LaterStartTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string folder = dir.file("handed");
    std::unique_ptr<MainWindow> window;
    MainWindowControls* c = nullptr;

    void startInTray(bool trayAvailable)
    {
        std::filesystem::create_directories(folder);
        window = std::make_unique<MainWindow>(dir.path() + "/vexorama", CommandLine{});
        c = &window->controls();
        window->findChild<TrayBindings*>()->setTrayProbe([trayAvailable] { return trayAvailable; });
        window->startInTray();
        settle();
    }
    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }
    std::string storedFolder() const
    {
        return SettingsStore(dir.path() + "/vexorama.INI").readString("Prog", "Folder", "");
    }
};

// Guards a start in the tray showing the window, or leaving the automatic
// check off (box, tray item and timer) where it was stored off; ticked, it
// is stored on as any switch of the box is.
TEST_F(LaterStartTest, TrayStartStaysHiddenWithTheAutomaticCheckOn)
{
    SettingsStore(dir.path() + "/vexorama.INI").writeString("Prog", "AutoCheck", "0");
    startInTray(true);
    EXPECT_TRUE(SettingsStore(dir.path() + "/vexorama.INI").readBool("Prog", "AutoCheck", false));
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(c->trayIcon->isVisible());
    EXPECT_TRUE(c->autoCheckBox->isChecked());
    EXPECT_TRUE(c->autoCheckItem->isChecked());
    EXPECT_TRUE(c->autoCheckTimer->isActive());
}

// Guards a start in the tray where there is none hiding the window for
// good: it waits minimised on the taskbar instead.
TEST_F(LaterStartTest, TrayStartWithoutATrayIsMinimised)
{
    startInTray(false);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(c->autoCheckBox->isChecked());
}

// Guards a later start leaving the window in the tray, or dropping its
// folder: the window comes back and the folder is the working folder.
TEST_F(LaterStartTest, LaterStartBringsTheWindowBackWithItsFolder)
{
    startInTray(true);
    window->answerLaterStart(folder, false);
    settle();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(c->folderBox->text().toStdString(), folder);
    EXPECT_EQ(window->session().workingFolder().path(), folder);
    EXPECT_EQ(storedFolder(), folder);
}

// Guards a later start's folder pulling the working folder away from a
// decode or join that works there (the folder box is disabled meanwhile):
// the folder is taken once the box is free again.
TEST_F(LaterStartTest, HandedFolderWaitsForTheRunInTheFolder)
{
    startInTray(true);
    const std::string before = window->session().workingFolder().path();
    c->folderBox->setEnabled(false);
    window->answerLaterStart(folder, false);
    settle();
    EXPECT_EQ(window->session().workingFolder().path(), before);
    c->folderBox->setEnabled(true);
    settle();
    EXPECT_EQ(window->session().workingFolder().path(), folder);
}

// Guards a second "--tray" start (a login while the program runs) popping
// the window up: it stays in the tray and the automatic check is ticked.
TEST_F(LaterStartTest, LaterTrayStartLeavesTheWindowInTheTray)
{
    startInTray(true);
    c->autoCheckBox->setChecked(false);
    window->answerLaterStart("", true);
    settle();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(c->autoCheckBox->isChecked());
}

// Guards a later start's "/d" dropped and its missing folder taken and
// stored without a word, as handed over through the socket: both follow
// the rules of a first start, and a request without options, as earlier
// versions send it, still reads.
TEST_F(LaterStartTest, HandedOverStartKeepsTheStartUpRules)
{
    ::mkdir(dir.file("runtime").c_str(), 0700);
    const test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.file("runtime"));
    startInTray(true);
    const std::string settingsPath = dir.path() + "/vexorama.INI";
    SingleInstance running(settingsPath);
    ASSERT_EQ(running.handOverOrListen({}), SingleInstance::Outcome::Listening);
    running.setRequestHandler([this](const SingleInstance::Request& later) {
        window->answerLaterStart(later.folder, later.inTray, later.deleteAfterDecoding);
    });
    const test::BoxAnswerer answerer(std::chrono::milliseconds(10));
    // The text of the last box answered after the first `seen`, if any.
    const auto lastBoxAfter = [&answerer](qsizetype seen) {
        return answerer.texts().size() > seen ? answerer.texts().back().toStdString() : std::string();
    };

    const std::string fallback = dir.path() + "/";
    const std::string missingBox = "Текущая папка не существует, сохраняем в " + fallback;
    const struct {
        std::string request; // without its closing '\0'
        bool taken;
        std::string folder;
        bool deleteTicked;
        std::string box;
    } rows[] = {
        {"S" + folder, true, folder, false, ""},
        {"dS" + folder, true, folder, true, ""},
        {"S" + dir.file("missing"), true, fallback, false, missingBox},
        {"Sinbox", false, folder, false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.request);
        window->answerLaterStart(folder, true, false);
        if (c->deleteAfterDecodingBox->isChecked())
            c->deleteAfterDecodingBox->click();
        const qsizetype boxesSeen = answerer.texts().size();
        LocalSocket::Reach reach = LocalSocket::Reach::NobodyListens;
        LocalSocket start =
            LocalSocket::Connect(QFile::encodeName(SingleInstance::SocketPath(settingsPath)).toStdString(), reach);
        ASSERT_EQ(reach, LocalSocket::Reach::Connected);
        ASSERT_TRUE(start.send(std::string_view(row.request.c_str(), row.request.size() + 1), std::chrono::seconds(5)));
        std::string answer;
        bool ended = false;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            answer += start.receive(ended);
            return !answer.empty() || ended;
        }));
        settle();
        EXPECT_EQ(answer == "+", row.taken);
        EXPECT_EQ(window->session().workingFolder().path(), row.folder);
        EXPECT_EQ(storedFolder(), row.folder);
        EXPECT_EQ(c->deleteAfterDecodingBox->isChecked(), row.deleteTicked);
        EXPECT_EQ(SettingsStore(settingsPath).readBool(settings::kDeleteAfterDecoding), row.deleteTicked);
        EXPECT_EQ(lastBoxAfter(boxesSeen), row.box);
    }
}

} // namespace
} // namespace vexo
