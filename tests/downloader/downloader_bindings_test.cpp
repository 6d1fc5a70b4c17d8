// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/downloader_bindings.h"
#include "app/main_window.h"
#include "app/status_bar.h"
#include "app/window_timer.h"
#include "base/settings_store.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/qt_text.h"
#include "tests/support/script_server.h"
#include "tests/support/temp_dir.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace vexo {
namespace {

// Guards the wiring of the downloader's controls on the real window: the
// stored "Автопроверка" comes back, the box and the tray item follow each
// other without looping, the period box keeps its floor once Enter or its
// timer ends the editing, the clicks queue checks and the status bar empties
// the queue.
TEST(DownloaderBindingsTest, ControlsReachTheirHandlers)
{
    test::TempDir programFolder;
    SettingsStore(programFolder.file("vexorama.INI")).writeString("Prog", "AutoCheck", "1");
    MainWindow window(programFolder.file("vexorama"), {});
    MainWindowControls& c = window.controls();

    EXPECT_TRUE(c.autoCheckBox->isChecked());
    c.autoCheckBox->setChecked(true);
    EXPECT_TRUE(c.autoCheckItem->isChecked());
    EXPECT_TRUE(c.autoCheckTimer->isActive());
    c.autoCheckItem->trigger();
    EXPECT_FALSE(c.autoCheckItem->isChecked());
    EXPECT_FALSE(c.autoCheckBox->isChecked());
    EXPECT_FALSE(c.autoCheckTimer->isActive());

    QLineEdit* period = c.autoCheckPeriodBox;
    period->selectAll();
    QTest::keyClicks(period, QStringLiteral("10"));
    EXPECT_EQ(period->text(), QStringLiteral("10"));
    QTest::keyClick(period, Qt::Key_Return);
    EXPECT_EQ(period->text(), QStringLiteral("15"));
    EXPECT_EQ(c.autoCheckTimer->interval(), 15000u);
    QTest::keyClicks(period, QStringLiteral("0"));
    emit c.periodTypingTimer->tick();
    EXPECT_EQ(c.autoCheckTimer->interval(), 150000u);

    c.checkServerButton->click();
    c.checkServerButton->click();
    EXPECT_EQ(c.statusBar->panelText(1), QStringLiteral("get "));
    emit c.statusBar->clicked();
    c.checkServerButton->setEnabled(false);
    c.checkServerItem->trigger();
    EXPECT_EQ(c.statusBar->panelText(1), QStringLiteral("get "));
    emit c.statusBar->clicked();
    EXPECT_EQ(c.statusBar->panelText(1), QString());
    EXPECT_TRUE(c.runnerTimer->isActive());
}

// A download from a peer that sends two bytes, then the rest once
// `released` holds.
struct HeldDownload {
    std::atomic<bool> released = false;
    std::unique_ptr<test::ScriptServer> server;

    HeldDownload()
    {
        test::ScriptedReply held{"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 100\r\n\r\nab",
                                 false,
                                 true,
                                 {std::string(98, 'c')}};
        held.goOn = [this] { return released.load(); };
        server = std::make_unique<test::ScriptServer>(std::vector<test::ScriptedReply>{held});
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(server->port()) + "/f"; }
};

// Guards a download nobody could stop: "Остановить" stands beside
// "Обновить" and in the tray menu after "Проверить новые файлы", both
// disabled but while a download runs; the button stops one download and
// the tray item the next, and panel 0 names the file.
TEST(DownloaderBindingsTest, StopButtonAndTrayItemStopTheDownload)
{
    test::TempDir programFolder;
    HeldDownload first;
    HeldDownload second;
    test::ScriptServer listing(
        std::vector<test::ScriptedReply>{{test::ListAnswer({{"first.avi", first.url(), "r1", "100"}})},
                                         {test::ListAnswer({{"second.avi", second.url(), "r2", "100"}})}});
    {
        SettingsStore settings(programFolder.file("vexorama.INI"));
        settings.writeString("Prog", "Folder", programFolder.path());
        settings.writeString("Server", "Name", "127.0.0.1");
        settings.writeString("Server", "Port", std::to_string(listing.port()));
        settings.writeInteger("Server", "RemMode", 3);
    }
    MainWindow window(programFolder.file("vexorama"), {});
    MainWindowControls& c = window.controls();
    QApplication::processEvents();

    EXPECT_EQ(c.stopButton->text(), test::U("Остановить"));
    EXPECT_EQ(c.stopButton->parentWidget(), c.checkServerButton->parentWidget());
    const QLayout* row = c.checkServerButton->parentWidget()->layout();
    EXPECT_EQ(row->indexOf(c.stopButton), row->indexOf(c.checkServerButton) + 1);
    EXPECT_EQ(c.stopButton->focusPolicy(), c.checkServerButton->focusPolicy());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(c.stopButton)->text(QAccessible::Name), test::U("Остановить"));
    EXPECT_EQ(c.stopItem->text(), test::U("Остановить"));
    const QList<QAction*> items = c.trayMenu->actions();
    EXPECT_EQ(items.indexOf(c.stopItem), items.indexOf(c.checkServerItem) + 1);

    for (HeldDownload* download : {&first, &second}) {
        EXPECT_FALSE(c.stopButton->isEnabled());
        EXPECT_FALSE(c.stopItem->isEnabled());
        bool enabledWhileFetching = false;
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [&] {
            if (!c.fetchProgressTimer->isActive() || !c.stopButton->isEnabled())
                return;
            enabledWhileFetching = c.stopItem->isEnabled() && !c.checkServerButton->isEnabled();
            press.stop();
            if (download == &first)
                c.stopButton->click();
            else
                c.stopItem->trigger();
            download->released = true;
        });
        press.start(0);
        c.checkServerButton->click();
        emit c.runnerTimer->tick();
        EXPECT_TRUE(enabledWhileFetching);
        EXPECT_TRUE(download->released);
        const char* name = download == &first ? "first.avi" : "second.avi";
        EXPECT_EQ(c.statusBar->panelText(0), test::U("Остановлено: ") + test::U(name));
        EXPECT_EQ(c.statusBar->panelText(1), QString());
        EXPECT_FALSE(test::FileExists(programFolder.file(name)));
    }
    EXPECT_FALSE(c.stopButton->isEnabled());
    EXPECT_FALSE(c.stopItem->isEnabled());
    EXPECT_TRUE(c.checkServerButton->isEnabled());
}

} // namespace
} // namespace vexo
