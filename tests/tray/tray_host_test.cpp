// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon on a real X display with a tray host, clicked with xdotool.
#include "app/main_window.h"
#include "app/tray_icon.h"
#include "tests/display_support/display_test.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <memory>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::TempDir;

class TrayHostTest : public ::testing::Test {
protected:
    std::unique_ptr<test::TrayHost> tray;
    TempDir programFolder;
    std::unique_ptr<MainWindow> window;
    MainWindowControls* c = nullptr;
    QString xdotool;

    void SetUp() override
    {
        if (!test::HasRealDisplay())
            VEXO_SKIP_OR_FAIL() << "needs an X display (run under xvfb-run)";
        if (!test::TrayHost::Installed())
            VEXO_SKIP_OR_FAIL() << "needs the tray host trayer (apt-get install trayer)";
        xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (xdotool.isEmpty())
            VEXO_SKIP_OR_FAIL() << "needs xdotool (apt-get install xdotool)";
        tray = std::make_unique<test::TrayHost>();
        ASSERT_TRUE(tray->up()) << "trayer started but no tray appeared";

        window = std::make_unique<MainWindow>(programFolder.path() + "/vexorama", CommandLine{});
        c = &window->controls();
        window->showCentred();
        ASSERT_TRUE(test::WaitUntil([this] { return test::TrayHost::Placed(c->trayIcon->geometry()); }, 10s))
            << "the tray did not take the icon";
        ASSERT_TRUE(test::WaitUntil([this] { return window->isVisible(); }, 10s));
    }

    // Clicks the middle of the tray icon with the given mouse button, `times` times.
    void clickIcon(int button, int times)
    {
        const QPoint centre = c->trayIcon->geometry().center();
        ChildProcess click(xdotool,
                           {QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()),
                            QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(times),
                            QStringLiteral("--delay"), QStringLiteral("80"), QString::number(button)});
        test::WaitUntil([&] { return !click.running(); }, 10s);
    }

    bool shownNormally() const { return window->isVisible() && !window->isMinimized(); }
};

// Guards: minimising leaving the window on the taskbar, or the icon's double-click not bringing it back.
TEST_F(TrayHostTest, MinimisingHidesTheWindowAndADoubleClickOnTheIconBringsItBack)
{
    window->showMinimized();
    ASSERT_TRUE(test::WaitUntil([this] { return !window->isVisible(); }, 10s));
    EXPECT_TRUE(c->trayIcon->isVisible());

    clickIcon(1, 2);
    EXPECT_TRUE(test::WaitUntil([this] { return shownNormally(); }, 10s));
}

// Guards: a single left click acting on the window, or the right button not opening the tray menu.
TEST_F(TrayHostTest, SingleClickDoesNothingAndTheRightButtonOpensTheMenu)
{
    window->showMinimized();
    ASSERT_TRUE(test::WaitUntil([this] { return !window->isVisible(); }, 10s));

    clickIcon(1, 1);
    // Nothing is expected to happen: give it the double-click interval and more.
    test::WaitUntil([] { return false; }, 1500ms);
    EXPECT_FALSE(window->isVisible());

    clickIcon(3, 1);
    EXPECT_TRUE(test::WaitUntil([this] { return c->trayMenu->isVisible(); }, 10s));
    c->trayMenu->close();
}

// The notification balloon Qt shows beside a tray icon, if one is up.
QWidget* ShownBalloon()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QBalloonTip") && widget->isVisible())
            return widget;
    }
    return nullptr;
}

// Guards the arrivals of one check making a balloon each, and a balloon
// that could not bring the window back: where the desktop has no
// notification service, one balloon at the check's end holds its count and
// names as they are, only while the window sits in the tray, and a click on
// it brings the window back.
TEST_F(TrayHostTest, ArrivalsOfACheckMakeOneBalloonWhileTheWindowIsInTheTray)
{
    TrayView& view = window->views().tray;
    window->activateWindow();
    ASSERT_TRUE(test::WaitUntil([this] { return window->isActiveWindow(); }, 10s));
    view.announceArrivals({"film.avi"});
    view.endArrivals();
    test::WaitUntil([] { return false; }, 300ms);
    EXPECT_EQ(ShownBalloon(), nullptr);

    window->showMinimized();
    ASSERT_TRUE(test::WaitUntil([this] { return !window->isVisible(); }, 10s));
    const std::string name = "<b>Ваш пароль устарел</b>.avi";
    view.announceArrivals({name});
    view.announceArrivals({name, "film.avi"});
    test::WaitUntil([] { return false; }, 300ms);
    EXPECT_EQ(ShownBalloon(), nullptr) << "a balloon before the check ended";
    view.endArrivals();
    ASSERT_TRUE(test::WaitUntil([] { return ShownBalloon() != nullptr; }, 10s));
    QStringList texts;
    for (const QLabel* label : ShownBalloon()->findChildren<QLabel*>()) {
        if (label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text()))
            texts << label->text();
    }
    EXPECT_TRUE(texts.contains(QString::fromUtf8("Получено 2 файлов"))) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(texts.contains(QString::fromStdString(name) + QStringLiteral("\nfilm.avi")))
        << texts.join(QLatin1Char('|')).toStdString();

    QWidget* balloon = ShownBalloon();
    const QPointF inside(balloon->rect().center());
    QMouseEvent press(QEvent::MouseButtonPress, inside, balloon->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(balloon, &press);
    EXPECT_TRUE(test::WaitUntil([this] { return window->isVisible(); }, 10s)) << "the balloon's click did nothing";
}

// Guards: minimising on a desktop without a tray hiding the window where nothing could bring it back.
TEST(NoTrayHostTest, MinimisingWithoutATrayKeepsTheWindowOnTheTaskbar)
{
    if (!test::HasRealDisplay())
        VEXO_SKIP_OR_FAIL() << "needs an X display (run under xvfb-run)";
    if (!test::WaitUntil([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, 10s))
        VEXO_SKIP_OR_FAIL() << "a tray host runs on this display";
    TempDir programFolder;
    MainWindow window(programFolder.path() + "/vexorama", {});
    window.showCentred();
    ASSERT_TRUE(test::WaitUntil([&] { return window.isVisible(); }, 10s));

    window.showMinimized();
    // The window is expected to stay: give a deferred hide its chance.
    test::WaitUntil([] { return false; }, 500ms);
    EXPECT_TRUE(window.isVisible());
}

} // namespace
} // namespace vexo
