// SPDX-License-Identifier: GPL-3.0-or-later
// The window and its tray on Wayland, where the compositor never tells the
// program that its window was minimised: as a client of a weston of the
// test's own (with_wayland.sh), with desktop_bus_fake as the desktop's tray
// and notification service (with_desktop_bus.sh).
#include "app/main_window.h"
#include "app/main_window_controls.h"
#include "base/stop_request.h"
#include "tests/display_support/display_test.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QSpontaneKeyEvent>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace vexo {
namespace {

using namespace std::chrono_literals;

class WaylandTrayTest : public ::testing::Test {
protected:
    test::TempDir programFolder;
    std::unique_ptr<MainWindow> window;
    MainWindowControls* c = nullptr;
    QString log = qEnvironmentVariable("VEXO_DESKTOP_BUS_LOG");

    void SetUp() override
    {
        if (!test::OnWayland())
            VEXO_SKIP_OR_FAIL() << "needs a Wayland compositor (with_wayland.sh)";
        if (log.isEmpty())
            VEXO_SKIP_OR_FAIL() << "needs the desktop's bus of with_desktop_bus.sh";
        window = std::make_unique<MainWindow>(programFolder.path() + "/vexorama", CommandLine{});
        c = &window->controls();
        window->showCentred();
        ASSERT_TRUE(test::WaitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10s));
        ASSERT_TRUE(test::WaitUntil([this] { return window->isActiveWindow(); }, 10s))
            << "the compositor never activated the window";
    }

    QStringList notices() const
    {
        QFile file(log);
        QStringList found;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
                if (line.startsWith(QLatin1String("notify ")))
                    found << line;
        }
        return found;
    }

    // The close box of the window's title bar, or the compositor's own
    // close: an event from the window system.
    bool closeAsTheUser()
    {
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QApplication::instance()->notify(window.get(), &close);
        return close.isAccepted();
    }
};

// Guards a minimised window on Wayland staying on the taskbar as if in
// sight: its arrivals were never announced, and "Показать/скрыть" could not
// bring it back. A compositor that minimises the window (from its own title
// bar, say) tells the program only that the window lost the focus, as it
// does here when another window takes it.
TEST_F(WaylandTrayTest, WindowOutOfSightHearsOfArrivalsAndTheTrayBringsItBack)
{
    const qsizetype before = notices().size();
    QWidget other;
    other.resize(320, 200);
    other.show();
    ASSERT_TRUE(test::WaitUntil([&] { return other.isActiveWindow() && !window->isActiveWindow(); }, 10s));

    window->views().tray.announceArrivals({"film.avi"});
    ASSERT_TRUE(test::WaitUntil([&] { return notices().size() == before + 1; }, 10s)) << "no arrival notice";
    EXPECT_TRUE(notices().last().contains(QString::fromUtf8("|Получено 1 файлов|film.avi|")));

    c->showWindowItem->trigger();
    EXPECT_TRUE(test::WaitUntil([this] { return window->isVisible() && window->isActiveWindow(); }, 10s))
        << "the tray did not bring the window back";
}

// Guards the close box ending the program on Wayland, where minimising
// cannot take the window into the tray: with a tray there, it hides the
// window into the tray, saying so once a run, and "Выход" still ends it.
TEST_F(WaylandTrayTest, ClosingTheWindowHidesItIntoTheTray)
{
    const qsizetype before = notices().size();
    EXPECT_FALSE(closeAsTheUser());
    EXPECT_TRUE(test::WaitUntil([this] { return !window->isVisible(); }, 10s));
    EXPECT_FALSE(StopRequested());
    ASSERT_TRUE(test::WaitUntil([&] { return notices().size() == before + 1; }, 10s)) << "no word of the tray";
    EXPECT_TRUE(notices().last().contains(QString::fromUtf8("«Выход»"))) << notices().last().toStdString();

    c->showWindowItem->trigger();
    ASSERT_TRUE(test::WaitUntil([this] { return window->isVisible() && window->isActiveWindow(); }, 10s));
    EXPECT_FALSE(closeAsTheUser());
    EXPECT_TRUE(test::WaitUntil([this] { return !window->isVisible(); }, 10s));
    test::WaitUntil([] { return false; }, 300ms);
    EXPECT_EQ(notices().size(), before + 1) << "said more than once";

    c->exitItem->trigger();
    EXPECT_TRUE(StopRequested());
}

} // namespace
} // namespace vexo
