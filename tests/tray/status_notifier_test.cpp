// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon and the arrival notices where the desktop keeps them on the
// session bus (KDE Plasma, GNOME): against desktop_bus_fake, on a bus of
// the test's own (with_desktop_bus.sh), on a real X display.
#include "app/application_setup.h"
#include "app/main_window.h"
#include "tests/display_support/display_test.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/temp_dir.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace vexo {
namespace {

using namespace std::chrono_literals;

class StatusNotifierTest : public ::testing::Test {
protected:
    test::TempDir programFolder;
    std::unique_ptr<MainWindow> window;
    QString log = qEnvironmentVariable("VEXO_DESKTOP_BUS_LOG");
    QString item;

    void SetUp() override
    {
        if (!test::HasRealDisplay())
            VEXO_SKIP_OR_FAIL() << "needs an X display (run under xvfb-run)";
        if (log.isEmpty())
            VEXO_SKIP_OR_FAIL() << "needs the desktop's bus of with_desktop_bus.sh";
        // The icon of an earlier case's window may be registered still; this
        // window's icon comes once it is painted.
        const qsizetype itemsBefore = count(QStringLiteral("item "));
        window = std::make_unique<MainWindow>(programFolder.path() + "/vexorama", CommandLine{});
        window->showCentred();
        ASSERT_TRUE(test::WaitUntil(
            [&] { return count(QStringLiteral("item ")) > itemsBefore && !(item = registeredItem()).isEmpty(); }, 10s))
            << "the icon never registered with the tray: " << logLines().join(QLatin1Char('|')).toStdString();
    }

    QStringList logLines() const
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QStringList linesStarting(const QString& start) const
    {
        QStringList found;
        for (const QString& line : logLines())
            if (line.startsWith(start))
                found << line;
        return found;
    }
    qsizetype count(const QString& start) const { return linesStarting(start).size(); }
    QString registeredItem() const
    {
        const QStringList items = linesStarting(QStringLiteral("item "));
        return items.isEmpty() ? QString() : items.last().mid(5);
    }

    // A property of the icon as the tray reads it, in dbus-send's words.
    QString itemProperty(const QString& name)
    {
        QProcess ask;
        ask.start(QStringLiteral("dbus-send"),
                  {QStringLiteral("--session"), QStringLiteral("--print-reply=literal"),
                   QStringLiteral("--dest=") + item, QStringLiteral("/StatusNotifierItem"),
                   QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                   QStringLiteral("string:org.kde.StatusNotifierItem"), QStringLiteral("string:") + name});
        EXPECT_TRUE(test::WaitUntil([&] { return ask.state() == QProcess::NotRunning; }, 10s));
        return QString::fromUtf8(ask.readAllStandardOutput()).simplified();
    }

    // The tray's click: the host calls the icon's Activate.
    void clickIcon()
    {
        QProcess send;
        send.start(QStringLiteral("dbus-send"),
                   {QStringLiteral("--session"), QStringLiteral("--type=method_call"), QStringLiteral("--dest=") + item,
                    QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem.Activate"),
                    QStringLiteral("int32:0"), QStringLiteral("int32:0")});
        ASSERT_TRUE(test::WaitUntil([&] { return send.state() == QProcess::NotRunning; }, 10s));
        ASSERT_EQ(send.exitCode(), 0) << send.readAllStandardError().toStdString();
    }
};

// Guards a click on a tray that has no double click doing nothing, so that
// only the menu could bring the window back: a click hides the window in
// front into the tray, and the next one brings it back.
TEST_F(StatusNotifierTest, ClickShowsAndHidesTheWindow)
{
    window->activateWindow();
    ASSERT_TRUE(test::WaitUntil([this] { return window->isActiveWindow(); }, 10s));
    clickIcon();
    EXPECT_TRUE(test::WaitUntil([this] { return !window->isVisible(); }, 10s)) << "a click did not hide the window";
    clickIcon();
    EXPECT_TRUE(test::WaitUntil([this] { return window->isVisible(); }, 10s)) << "a click did not bring it back";
}

// Guards the tray heading the program's entry with its desktop id
// ("io.github.vexorama.Vexorama"): the icon's title is "Vexorama".
TEST_F(StatusNotifierTest, IconIsTitledVexorama)
{
    NameApplication();
    EXPECT_EQ(itemProperty(QStringLiteral("Title")), QStringLiteral("variant Vexorama"));
}

// Guards the tool tip sent to the tray at every tick of a download, unchanged:
// the tray hears of each change once.
TEST_F(StatusNotifierTest, ToolTipIsSentOnlyWhenItChanges)
{
    const qsizetype before = count(QStringLiteral("tooltip"));
    for (int tick = 0; tick < 10; ++tick)
        window->views().tray.showTrayHint("Vexorama\nЗа сеанс: 1");
    window->views().tray.showTrayHint("Vexorama\nЗа сеанс: 2");
    test::WaitUntil([&] { return count(QStringLiteral("tooltip")) > before + 2; }, 1s);
    EXPECT_EQ(count(QStringLiteral("tooltip")), before + 2);
}

// Guards the arrival notice drawing a file name as markup, with a generic
// icon and no desktop entry: the name is escaped for a service that reads
// markup, and the notice carries the program's icon and desktop entry. The
// service is asked what it reads once, not at each arrival.
TEST_F(StatusNotifierTest, ArrivalNoticeShowsTheNameAsItIs)
{
    window->hide();
    ASSERT_TRUE(test::WaitUntil([this] { return !window->isVisible(); }, 10s));
    window->views().tray.announceArrival("Tom & Jerry <b>2.avi");
    ASSERT_TRUE(test::WaitUntil([this] { return count(QStringLiteral("notify ")) == 1; }, 10s));
    EXPECT_EQ(linesStarting(QStringLiteral("notify ")).first().toStdString(),
              "notify Vexorama|io.github.vexorama.Vexorama|Vexorama|"
              "Скачан файл Tom &amp; Jerry &lt;b&gt;2.avi|desktop-entry=io.github.vexorama.Vexorama");
    window->views().tray.announceArrival("film.avi");
    ASSERT_TRUE(test::WaitUntil([this] { return count(QStringLiteral("notify ")) == 2; }, 10s));
    EXPECT_EQ(count(QStringLiteral("capabilities")), 1);
}

} // namespace
} // namespace vexo
