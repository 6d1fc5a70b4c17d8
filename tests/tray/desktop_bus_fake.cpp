// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop's tray and notification service on a session bus of a test's
// own: a StatusNotifierWatcher with a host, as KDE Plasma and GNOME's tray
// extension have, and org.freedesktop.Notifications reading markup. What
// the program does with them goes to the log file, one line each:
//   item SERVICE                the tray icon registered
//   left                        the watcher left the bus
//   tooltip SERVICE             the icon announced a new tool tip
//   notify APP|ICON|SUMMARY|BODY|desktop-entry=ENTRY|ACTIONS|REPLACED>ANSWERED
//                               BODY's line breaks as \n; ACTIONS KEY,LABEL,...;
//                               the numbers of the notice replaced and the answer
//   desktop_bus_fake LOG_FILE
// Beside the services' methods it takes InvokeAction(id, key): the user
// clicks an action of a notice; the watcher's Leave(), Return() and
// Restart(): the desktop's shell ends, starts, restarts; and its DropHost()
// and AddHost(): the tray showing the items goes and comes.
#include "tests/tray/desktop_bus_fake.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace vexo::test;
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: desktop_bus_fake LOG_FILE\n", stderr);
        return 2;
    }
    Log log(QString::fromLocal8Bit(argv[1]));
    Watcher watcher(log);
    Notifications notifications(log);
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto all =
        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSignals;
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher, all)
        || !bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications, all)
        || !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))
        || !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fputs("desktop_bus_fake: cannot take the desktop's names on the bus\n", stderr);
        return 1;
    }
    log.line(QStringLiteral("ready"));
    return app.exec();
}
