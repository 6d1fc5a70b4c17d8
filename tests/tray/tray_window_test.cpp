// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/after_first_paint.h"
#include "app/dbus_menu.h"
#include "app/main_window.h"
#include "app/tray_bindings.h"
#include "app/tray_icon.h"
#include "base/program_version.h"
#include "base/settings_store.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QImage>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace vexo {
namespace {

using test::TempDir;

// A main window in a program folder of its own, with the tray's presence
// decided by the test rather than by the (offscreen) platform.
class TrayWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<MainWindow> window;
    MainWindowControls* c = nullptr;
    bool trayAvailable = true;

    void SetUp() override
    {
        window = std::make_unique<MainWindow>(dir.path() + "/vexorama", CommandLine{});
        c = &window->controls();
        window->findChild<TrayBindings*>()->setTrayProbe([this] { return trayAvailable; });
        window->showCentred();
        settle();
    }

    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }

    void minimise()
    {
        window->showMinimized();
        settle();
    }

    SettingsStore settings() const { return SettingsStore(dir.path() + "/vexorama.INI"); }
};

// Guards: menu items out of order, "Показать/скрыть" not the bold default, "Автообновление" not a check item.
TEST_F(TrayWindowTest, TrayMenuHasItsItemsInOrderWithTheBoldDefaultFirst)
{
    QStringList captions;
    for (const QAction* item : c->trayMenu->actions())
        captions << item->text();
    EXPECT_EQ(captions, QStringList({QString::fromUtf8("Показать/скрыть"), QString::fromUtf8("Проверить новые файлы"),
                                     QString::fromUtf8("Остановить"), QString::fromUtf8("Автообновление"),
                                     QString::fromUtf8("Выход")}));
    EXPECT_EQ(c->trayMenu->defaultAction(), c->showWindowItem);
    EXPECT_TRUE(c->showWindowItem->font().bold());
    EXPECT_FALSE(c->exitItem->font().bold());
    EXPECT_TRUE(c->autoCheckItem->isCheckable());
    EXPECT_FALSE(c->autoCheckItem->isChecked());
    EXPECT_EQ(c->trayIcon->contextMenu(), c->trayMenu);
}

// Guards: the tray's "Автообновление" and the tab's "Автопроверка" drifting apart.
TEST_F(TrayWindowTest, AutoUpdateItemAndAutoCheckBoxStayInStep)
{
    c->autoCheckBox->setChecked(true);
    EXPECT_TRUE(c->autoCheckItem->isChecked());
    c->autoCheckItem->trigger();
    EXPECT_FALSE(c->autoCheckBox->isChecked());
    EXPECT_FALSE(c->autoCheckItem->isChecked());
    c->autoCheckItem->trigger();
    EXPECT_TRUE(c->autoCheckBox->isChecked());
    c->autoCheckBox->setChecked(false);
    EXPECT_FALSE(c->autoCheckItem->isChecked());
}

// Guards: a tray icon that is missing, has no picture, or lacks the start-up hint.
TEST_F(TrayWindowTest, TrayIconIsShownWithTheProgramIconAndTheStartUpHint)
{
    EXPECT_TRUE(c->trayIcon->isVisible());
    EXPECT_FALSE(c->trayIcon->icon().isNull());
    EXPECT_FALSE(window->windowIcon().isNull());
    for (int size : {16, 24, 32, 48, 96, 128, 256})
        EXPECT_EQ(c->trayIcon->icon().pixmap(size, size).width(), size) << size;
    EXPECT_EQ(c->trayIcon->toolTip(), QString::fromUtf8("Vexorama " VEXO_VERSION "  PreRelease\nЗа сеанс: 0"));
}

// Guards: a tray that looks the same while checks fail, a tip without the
// last error or without its own lines, an error look that stays once it
// works again, and a window in the tray not taken for one.
TEST_F(TrayWindowTest, TroubleGivesTheIconABadgeAndTheTipAnErrorLine)
{
    TrayView& tray = window->views().tray;
    const QImage own = c->trayIcon->icon().pixmap(32, 32).toImage();
    tray.showTrouble("[!] Ошибка соединения");
    tray.showTrayHint("Vexorama\nЗа сеанс: 3");
    const QImage troubled = c->trayIcon->icon().pixmap(32, 32).toImage();
    ASSERT_EQ(troubled.size(), QSize(32, 32));
    EXPECT_GT(troubled.pixelColor(18, 23).red(), 160);
    EXPECT_LT(troubled.pixelColor(18, 23).green(), 100);
    EXPECT_EQ(troubled.pixelColor(4, 4), own.pixelColor(4, 4));
    EXPECT_EQ(c->trayIcon->toolTip(), QString::fromUtf8("Vexorama\nЗа сеанс: 3\n[!] Ошибка соединения"));
    tray.clearTrouble();
    EXPECT_EQ(c->trayIcon->icon().pixmap(32, 32).toImage(), own);
    EXPECT_EQ(c->trayIcon->toolTip(), QString::fromUtf8("Vexorama\nЗа сеанс: 3"));
    EXPECT_FALSE(tray.windowInTray());
    minimise();
    EXPECT_TRUE(tray.windowInTray());
}

// Guards: minimising leaving the window on the taskbar although the tray could bring it back.
TEST_F(TrayWindowTest, MinimisingHidesTheWindowWhileATrayIsThere)
{
    minimise();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(c->trayIcon->isVisible());
}

// Guards: minimising without a tray hiding the window where nothing could bring it back.
TEST_F(TrayWindowTest, MinimisingWithoutATrayLeavesTheWindowOnTheTaskbar)
{
    trayAvailable = false;
    minimise();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
}

// Guards: "Показать/скрыть" failing to bring a minimised window back in its normal state.
TEST_F(TrayWindowTest, ShowItemRestoresTheMinimisedWindow)
{
    minimise();
    c->showWindowItem->trigger();
    settle();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
}

// Guards: a window minimised from maximised coming back at its normal size instead of maximised.
TEST_F(TrayWindowTest, ShowItemRestoresAMaximisedWindowMaximised)
{
    window->showMaximized();
    settle();
    minimise();
    ASSERT_FALSE(window->isVisible());
    c->showWindowItem->trigger();
    settle();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMaximized());
}

// Guards: "Показать/скрыть" hiding a window that is shown, as its caption would suggest.
TEST_F(TrayWindowTest, ShowItemNeverHidesAShownWindow)
{
    c->showWindowItem->trigger();
    settle();
    c->showWindowItem->trigger();
    settle();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
}

// Guards: a double-click not running the default item, or a single click or middle click running it.
TEST_F(TrayWindowTest, OnlyADoubleClickOnTheIconRunsTheDefaultItem)
{
    minimise();
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Context}) {
        emit c->trayIcon->activated(reason);
        settle();
        EXPECT_FALSE(window->isVisible()) << reason;
    }
    emit c->trayIcon->activated(QSystemTrayIcon::DoubleClick);
    settle();
    EXPECT_TRUE(window->isVisible());
}

// Guards: a double-click carrying out the default item while that item is disabled.
TEST_F(TrayWindowTest, DoubleClickLeavesADisabledDefaultItemAlone)
{
    minimise();
    c->showWindowItem->setEnabled(false);
    emit c->trayIcon->activated(QSystemTrayIcon::DoubleClick);
    settle();
    EXPECT_FALSE(window->isVisible());
}

// Guards: the tray menu going dead while the window is disabled (settings dialog open).
TEST_F(TrayWindowTest, TrayMenuWorksWhileTheWindowIsDisabled)
{
    minimise();
    window->setEnabled(false);
    EXPECT_TRUE(c->trayMenu->isEnabled());
    EXPECT_TRUE(c->showWindowItem->isEnabled());
    EXPECT_TRUE(c->exitItem->isEnabled());
    c->showWindowItem->trigger();
    settle();
    EXPECT_TRUE(window->isVisible());
}

// Guards: "Выход" from the tray storing the minimised size, or leaving the program running.
TEST_F(TrayWindowTest, ExitWhileMinimisedStoresTheSizeBeforeMinimisingAndEndsTheLoop)
{
    window->resize(712, 455);
    settle();
    minimise();
    ASSERT_FALSE(window->isVisible());

    bool timedOut = false;
    QTimer::singleShot(0, c->exitItem, &QAction::trigger);
    QTimer::singleShot(10000, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(settings().readInteger("Prog", "Width", 0), 712);
    EXPECT_EQ(settings().readInteger("Prog", "Height", 0), 455);
}

// Guards the tray icon, or the program's icon, never coming once they wait
// for the first paint: a shown window gets both once painted and not on
// the way to it; a window that starts in the tray (never painted) at once;
// a window not painted in time gets the waiting work all the same, and one
// that is gone gets none.
TEST(TrayAfterFirstPaintTest, TheIconsComeAfterThePaintOrWithoutOne)
{
    using namespace std::chrono_literals;
    const auto turns = [](int count) {
        for (int i = 0; i < count; ++i)
            QApplication::processEvents();
    };
    {
        test::TempDir dir;
        MainWindow window(dir.path() + "/vexorama", CommandLine{});
        window.showCentred();
        EXPECT_FALSE(window.controls().trayIcon->isVisible());
        turns(5);
        EXPECT_TRUE(window.controls().trayIcon->isVisible());
        EXPECT_FALSE(window.windowIcon().isNull());
    }
    {
        test::TempDir dir;
        MainWindow window(dir.path() + "/vexorama", CommandLine{});
        window.findChild<TrayBindings*>()->setTrayProbe([] { return true; });
        window.startInTray();
        EXPECT_TRUE(window.controls().trayIcon->isVisible());
    }
    for (const bool gone : {false, true}) {
        auto unpainted = std::make_unique<QWidget>();
        int runs = 0;
        RunAfterFirstPaint(
            *unpainted, [&runs] { ++runs; }, 20ms);
        if (gone)
            unpainted.reset();
        QEventLoop wait;
        QTimer::singleShot(200ms, &wait, &QEventLoop::quit);
        wait.exec();
        EXPECT_EQ(runs, gone ? 0 : 1) << gone;
    }
}

// Guards the tray's menu as a tray of the session bus reads it: a caption
// whose "_" is taken for a mnemonic mark, a check mark or a disabled item
// lost, a click on a disabled item acting, and a change never told to the
// tray (or told when nothing changed).
TEST(BusMenuTest, LayoutKeepsCaptionsAndStatesAndChangesAreTold)
{
    const struct {
        const char* caption;
        const char* label;
    } captions[] = {{"Выход", "Выход"}, {"a_b", "a__b"}, {"&Save", "_Save"}, {"Tom && Jerry", "Tom & Jerry"}};
    for (const auto& one : captions)
        EXPECT_EQ(BusMenuLabel(QString::fromUtf8(one.caption)), QString::fromUtf8(one.label)) << one.caption;

    QMenu menu;
    QAction* show = menu.addAction(QString::fromUtf8("Показать/скрыть"));
    menu.addSeparator();
    QAction* stop = menu.addAction(QString::fromUtf8("Остановить"));
    stop->setEnabled(false);
    QAction* autoCheck = menu.addAction(QString::fromUtf8("Авто_обновление"));
    autoCheck->setCheckable(true);
    autoCheck->setChecked(true);
    QObject exported;
    DBusMenu bus(exported, menu);
    BusMenuLayout layout;
    const uint revision = bus.GetLayout(0, -1, {}, layout);
    ASSERT_EQ(layout.children.size(), 4);
    const QVariantMap expected[] = {
        {{QStringLiteral("label"), QString::fromUtf8("Показать/скрыть")},
         {QStringLiteral("enabled"), true},
         {QStringLiteral("visible"), true}},
        {{QStringLiteral("type"), QStringLiteral("separator")}, {QStringLiteral("visible"), true}},
        {{QStringLiteral("label"), QString::fromUtf8("Остановить")},
         {QStringLiteral("enabled"), false},
         {QStringLiteral("visible"), true}},
        {{QStringLiteral("label"), QString::fromUtf8("Авто__обновление")},
         {QStringLiteral("enabled"), true},
         {QStringLiteral("visible"), true},
         {QStringLiteral("toggle-type"), QStringLiteral("checkmark")},
         {QStringLiteral("toggle-state"), 1}},
    };
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(layout.children[i].properties, expected[i]) << i;
    const int stopId = layout.children[2].id;

    QList<BusMenuItems> told;
    QObject::connect(&bus, &DBusMenu::ItemsPropertiesUpdated,
                     [&told](const BusMenuItems& items, const BusMenuItemKeysList&) { told << items; });
    stop->setEnabled(true);
    stop->setEnabled(true);
    autoCheck->setChecked(false);
    ASSERT_EQ(told.size(), 2);
    EXPECT_EQ(told[0].size(), 1);
    EXPECT_EQ(told[0][0].id, stopId);
    EXPECT_EQ(told[0][0].properties, QVariantMap({{QStringLiteral("enabled"), true}}));
    EXPECT_EQ(told[1][0].properties, QVariantMap({{QStringLiteral("toggle-state"), 0}}));

    uint newRevision = 0;
    QObject::connect(&bus, &DBusMenu::LayoutUpdated, [&newRevision](uint value, int) { newRevision = value; });
    menu.addAction(QString::fromUtf8("Выход"));
    EXPECT_GT(newRevision, revision);

    int shown = 0;
    int stopped = 0;
    QObject::connect(show, &QAction::triggered, [&shown] { ++shown; });
    QObject::connect(stop, &QAction::triggered, [&stopped] { ++stopped; });
    stop->setEnabled(false);
    bus.Event(layout.children[0].id, QStringLiteral("clicked"), QDBusVariant(0), 0);
    EXPECT_EQ(bus.EventGroup({{stopId, QStringLiteral("clicked"), QDBusVariant(0), 0}, {999, {}, {}, 0}}),
              QList<int>({999}));
    QApplication::processEvents();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(stopped, 0);
}

} // namespace
} // namespace vexo
