// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon and the arrival notices where the desktop keeps them on the
// session bus (KDE Plasma, GNOME): against desktop_bus_fake, on a bus of
// the test's own (with_desktop_bus.sh), on a real X display.
#include "app/application_setup.h"
#include "app/desktop_bus_types.h"
#include "app/main_window.h"
#include "app/main_window_controls.h"
#include "app/tray_icon.h"
#include "tests/display_support/display_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/temp_dir.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

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

    // The tray's own connection: what it reads of the icon crosses the bus.
    static QDBusConnection host()
    {
        static const QDBusConnection connection =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("tray-host"));
        return connection;
    }
    QDBusMessage askItem(const QString& path, const QString& interface, const QString& method,
                         const QVariantList& arguments)
    {
        QDBusMessage ask = QDBusMessage::createMethodCall(item, path, interface, method);
        ask.setArguments(arguments);
        // The icon answers from this thread's event loop.
        const QDBusMessage answer = host().call(ask, QDBus::BlockWithGui, 10000);
        EXPECT_EQ(answer.type(), QDBusMessage::ReplyMessage)
            << method.toStdString() << ": " << answer.errorMessage().toStdString();
        return answer;
    }
    template <typename T>
    T read(const QString& path, const QString& interface, const QString& name)
    {
        const QDBusMessage answer =
            askItem(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
        return qdbus_cast<T>(answer.arguments().value(0).value<QDBusVariant>().variant());
    }
    template <typename T>
    T readItem(const QString& name)
    {
        return read<T>(QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"), name);
    }

    // The desktop's shell: its tray's watcher leaves the bus, comes back, or
    // both. Told by the fake's own name on the bus, which stays.
    static void tellTray(const QString& method)
    {
        const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
        static const QString fake = QDBusConnection::sessionBus().interface()->serviceOwner(watcher).value();
        const QDBusMessage call =
            QDBusMessage::createMethodCall(fake, QStringLiteral("/StatusNotifierWatcher"), watcher, method);
        ASSERT_EQ(QDBusConnection::sessionBus().call(call).type(), QDBusMessage::ReplyMessage);
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

    // The user's click on an action of the notice numbered `id`.
    void invokeAction(uint id, const QString& key)
    {
        QDBusMessage click = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("InvokeAction"));
        click << id << key;
        ASSERT_EQ(QDBusConnection::sessionBus().call(click).type(), QDBusMessage::ReplyMessage);
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

// Guards the tray heading the icon's tool tip with the whole tip (Qt's item)
// and nothing below, the error look not reaching the tray, and the tray's
// menu with captions or states other than the program's: the tip is headed
// "Vexorama" with the tip's lines below, the pictures change with the error
// look and come back after it, the menu's items have their captions byte for
// byte, and a click on "Показать/скрыть" there brings the window back.
TEST_F(StatusNotifierTest, TrayReadsTheTipUnderTheTitleTheErrorLookAndTheMenu)
{
    TrayView& tray = window->views().tray;
    tray.showTrayHint("Vexorama\nЗа сеанс: 1");
    const BusToolTip tip = readItem<BusToolTip>(QStringLiteral("ToolTip"));
    EXPECT_EQ(tip.title.toStdString(), "Vexorama");
    EXPECT_EQ(tip.text.toStdString(), "Vexorama\nЗа сеанс: 1");

    const BusIconPixmaps own = readItem<BusIconPixmaps>(QStringLiteral("IconPixmap"));
    ASSERT_FALSE(own.isEmpty());
    for (const BusIconPixmap& pixmap : own)
        EXPECT_EQ(pixmap.argb.size(), qsizetype(pixmap.width) * pixmap.height * 4) << pixmap.width;
    const auto samePictures = [&own](const BusIconPixmaps& pixmaps) {
        return pixmaps.size() == own.size()
               && std::equal(own.begin(), own.end(), pixmaps.begin(),
                             [](const BusIconPixmap& a, const BusIconPixmap& b) { return a.argb == b.argb; });
    };
    tray.showTrouble("[!] Ошибка соединения");
    EXPECT_FALSE(samePictures(readItem<BusIconPixmaps>(QStringLiteral("IconPixmap"))));
    EXPECT_EQ(readItem<BusToolTip>(QStringLiteral("ToolTip")).text.toStdString(),
              "Vexorama\nЗа сеанс: 1\n[!] Ошибка соединения");
    tray.clearTrouble();
    EXPECT_TRUE(samePictures(readItem<BusIconPixmaps>(QStringLiteral("IconPixmap"))));

    const QString menu = readItem<QDBusObjectPath>(QStringLiteral("Menu")).path();
    const QString dbusmenu = QStringLiteral("com.canonical.dbusmenu");
    const QDBusMessage answer = askItem(menu, dbusmenu, QStringLiteral("GetLayout"), {0, -1, QStringList()});
    const auto layout = qdbus_cast<BusMenuLayout>(answer.arguments().value(1));
    const struct {
        const char* label;
        bool enabled;
        int toggleState; // -1: no check mark
    } items[] = {{"Показать/скрыть", true, -1},
                 {"Проверить новые файлы", true, -1},
                 {"Остановить", false, -1},
                 {"Автообновление", true, 0},
                 {"Выход", true, -1}};
    ASSERT_EQ(layout.children.size(), std::size(items));
    for (std::size_t i = 0; i < std::size(items); ++i) {
        const QVariantMap& properties = layout.children[qsizetype(i)].properties;
        EXPECT_EQ(properties.value(QStringLiteral("label")).toString().toStdString(), items[i].label);
        EXPECT_EQ(properties.value(QStringLiteral("enabled")).toBool(), items[i].enabled) << items[i].label;
        EXPECT_EQ(properties.value(QStringLiteral("toggle-state"), -1).toInt(), items[i].toggleState) << items[i].label;
    }

    window->hide();
    ASSERT_TRUE(test::WaitUntil([this] { return !window->isVisible(); }, 10s));
    askItem(menu, dbusmenu, QStringLiteral("Event"),
            {layout.children[0].id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0U});
    EXPECT_TRUE(test::WaitUntil([this] { return window->isVisible(); }, 10s)) << "the menu did not bring the window";
}

// Guards the icon gone from the tray for good once the desktop's shell
// restarts: it registers again with the watcher that came back.
TEST_F(StatusNotifierTest, IconRegistersAgainWhenTheTrayComesBack)
{
    const qsizetype before = count(QStringLiteral("item "));
    tellTray(QStringLiteral("Restart"));
    EXPECT_TRUE(test::WaitUntil([&] { return count(QStringLiteral("item ")) == before + 1; }, 10s));
    EXPECT_EQ(registeredItem(), item);
}

// Guards an icon shown while the desktop's tray is not on the bus (a start
// at login) never reaching the tray when it comes, or reaching it as Qt's
// item: when the tray's watcher comes, or the tray comes to a watcher there
// already, the icon moves into the tray as the program's own item, once.
TEST_F(StatusNotifierTest, IconShownBeforeTheTrayMovesIntoItWhenItComes)
{
    const struct TrayBack {
        ~TrayBack()
        {
            tellTray(QStringLiteral("Return"));
            tellTray(QStringLiteral("AddHost"));
        }
    } trayBack;
    for (const auto& [away, back] : {std::pair{"Leave", "Return"}, std::pair{"DropHost", "AddHost"}}) {
        window.reset();
        tellTray(QLatin1String(away));
        window = std::make_unique<MainWindow>(programFolder.path() + "/vexorama", CommandLine{});
        window->showCentred();
        TrayIcon& icon = *window->controls().trayIcon;
        ASSERT_TRUE(test::WaitUntil([&] { return icon.isVisible(); }, 10s)) << away;
        EXPECT_FALSE(icon.onSessionBus()) << away;

        const qsizetype before = count(QStringLiteral("item "));
        tellTray(QLatin1String(back));
        ASSERT_TRUE(test::WaitUntil([&] { return count(QStringLiteral("item ")) == before + 1; }, 10s)) << back;
        EXPECT_TRUE(icon.onSessionBus()) << back;
        item = registeredItem();
        EXPECT_EQ(readItem<BusToolTip>(QStringLiteral("ToolTip")).title.toStdString(), "Vexorama") << back;
        test::WaitUntil([] { return false; }, 300ms);
        EXPECT_EQ(count(QStringLiteral("item ")), before + 1) << back;
    }
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

// Guards twelve arrivals making twelve notices that nobody can act on, and a
// file name drawn as markup: the arrivals of one check are one notice that
// each longer list replaces, with the count, the names escaped and cut after
// a few, the program's icon and desktop entry; the next check opens a notice
// of its own; a click on a notice of the program brings the window back and
// its "Открыть папку" opens the working folder, while another program's
// notice does nothing. The service is asked what it reads once.
TEST_F(StatusNotifierTest, ArrivalsOfACheckAreOneNoticeThatUpdatesItself)
{
    // The desktop's opener, replaced by one that writes down what it is given.
    test::TempDir bin;
    test::WriteFile(bin.file("xdg-open"), "#!/bin/sh\necho \"$1\" >" + bin.file("opened") + "\n");
    ASSERT_EQ(::chmod(bin.file("xdg-open").c_str(), 0755), 0);
    const test::ScopedEnv path("PATH", bin.path() + ":" + qEnvironmentVariable("PATH").toStdString());
    window->hide();
    ASSERT_TRUE(test::WaitUntil([this] { return !window->isVisible(); }, 10s));
    const struct {
        bool newCheck;
        std::vector<std::string> names;
        const char* words;   // from the summary on, as the service got them
        const char* numbers; // of the notice replaced, and of the notice
    } steps[] = {
        {false,
         {"a.avi"},
         "Получено 1 файлов|a.avi|desktop-entry=io.github.vexorama.Vexorama|default,Показать,open-folder,Открыть папку",
         "|0>1"},
        {false, {"a.avi", "Tom & Jerry <b>2.avi"}, "Получено 2 файлов|a.avi\\nTom &amp; Jerry &lt;b&gt;2.avi|", "|1>1"},
        {false, {"1", "2", "3", "4", "5", "6", "7"}, "Получено 7 файлов|1\\n2\\n3\\n4\\n5\\n…|", "|1>1"},
        {true, {"b.avi"}, "Получено 1 файлов|b.avi|", "|0>2"},
    };
    for (const auto& step : steps) {
        if (step.newCheck)
            window->views().tray.endArrivals();
        const qsizetype before = count(QStringLiteral("notify "));
        window->views().tray.announceArrivals(step.names);
        ASSERT_TRUE(test::WaitUntil([&] { return count(QStringLiteral("notify ")) == before + 1; }, 10s));
        const QString notice = linesStarting(QStringLiteral("notify ")).last();
        EXPECT_TRUE(notice.startsWith(QString::fromUtf8("notify Vexorama|io.github.vexorama.Vexorama|")
                                      + QString::fromUtf8(step.words))
                    && notice.endsWith(QLatin1String(step.numbers)))
            << notice.toStdString();
    }
    EXPECT_EQ(count(QStringLiteral("capabilities")), 1);

    invokeAction(99, QStringLiteral("default"));
    test::WaitUntil([] { return false; }, 300ms);
    EXPECT_FALSE(window->isVisible()) << "another program's notice brought the window";
    invokeAction(1, QStringLiteral("open-folder")); // the first check's notice, still shown
    const QByteArray folder =
        QUrl::fromLocalFile(QString::fromStdString(window->session().workingFolder().path())).toEncoded() + '\n';
    EXPECT_TRUE(test::WaitUntil([&] { return test::FileExists(bin.file("opened")); }, 10s));
    EXPECT_TRUE(test::WaitUntil([&] { return test::ReadFile(bin.file("opened")) == folder.toStdString(); }, 10s));
    invokeAction(2, QStringLiteral("default"));
    EXPECT_TRUE(test::WaitUntil([this] { return window->isVisible(); }, 10s)) << "the click did not bring the window";
}

} // namespace
} // namespace vexo
