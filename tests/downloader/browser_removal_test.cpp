// SPDX-License-Identifier: GPL-3.0-or-later
// Removal in mode 1 through the real window operations: xdg-open hands the
// address to $BROWSER, which records what it was given.
#include "app/main_window.h"
#include "base/settings_store.h"
#include "downloader/downloader.h"
#include "tests/support/scoped_env.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include <sys/stat.h>

namespace vexo {
namespace {

using test::FileExists;
using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

bool WaitForFile(const std::string& path)
{
    QElapsedTimer clock;
    clock.start();
    while (!FileExists(path) && clock.elapsed() < 15000) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
    return FileExists(path);
}

// Guards the mode-1 removal address on its way to the browser: spaces,
// "%41", "&" and a Windows-1251 byte must arrive exactly as the server
// sent them (QUrl would encode the space and the byte and decode "%41").
TEST(BrowserRemovalTest, BrowserReceivesTheRemovalAddressByteForByte)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        VEXO_SKIP_OR_FAIL() << "xdg-open is not installed (Debian package xdg-utils)";
    TempDir dir;
    const std::string record = dir.file("opened");
    const std::string browser = dir.file("browser");
    WriteFile(browser,
              "#!/bin/sh\nprintf '%s' \"$1\" > '" + record + ".part' && mv '" + record + ".part' '" + record + "'\n");
    ASSERT_EQ(::chmod(browser.c_str(), 0755), 0);
    // xdg-open outside a desktop session goes straight to $BROWSER.
    std::vector<std::unique_ptr<ScopedEnv>> environment;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID"})
        environment.push_back(std::make_unique<ScopedEnv>(name, std::nullopt));
    environment.push_back(std::make_unique<ScopedEnv>("BROWSER", browser));

    SettingsStore(dir.file("vexorama.INI")).writeInteger("Server", "RemMode", 1);
    MainWindow window(dir.file("vexorama"), {});
    // A downloader of the test's own on the window's views.
    Views& views = window.views();
    Downloader d(window.session(), views.downloader, views.tray, views.webPages, views.dialogs);
    d.setServerAddress({"127.0.0.1:8080", "6677"});
    const std::string ref = "del.php?f=a b%41&n=\xE9";
    d.delivery().arrived(1, {"a.avi", "http://127.0.0.1:8080/a", ref, "1"});
    d.queue().append(ServerTask::Removal(1, ref));
    d.runTasks();

    ASSERT_TRUE(WaitForFile(record));
    EXPECT_EQ(ReadFile(record), "http://127.0.0.1:8080/uploader/" + ref + "&close=1");
    EXPECT_TRUE(d.queue().empty());
}

} // namespace
} // namespace vexo
