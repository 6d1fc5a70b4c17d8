// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusMessage>
#include <QString>
#include <QStringList>

class QDBusServiceWatcher;
class QObject;

#include <chrono>
#include <optional>

namespace vexo {

// What the desktop offers on the session bus, for the tray icon and the
// arrival notices.

// Whether a StatusNotifierItem tray (KDE Plasma, GNOME with its extension)
// is there to show the icon, as Qt asks before it puts the icon on the bus.
// Such trays know no double click: a click activates the icon.
bool StatusNotifierTrayPresent();

// A start into the tray at login may come before the desktop's tray, and
// the window would then wait minimised on the taskbar: this waits, up to
// `limit`, for the tray's watcher to come on the session bus. At once where
// it is there already, or where there is no session bus.
void WaitForStatusNotifierTray(std::chrono::milliseconds limit);

// Tells the tray's watcher of the item the program exports under `service`,
// without waiting for its answer.
void RegisterWithStatusNotifierTray(const QString& service);

// A watcher, owned by `parent`, that tells when the tray's watcher comes on
// the session bus (a tray that comes up, a desktop shell that restarts).
// None without a session bus.
QDBusServiceWatcher* WatchForStatusNotifierTray(QObject* parent);

// Connects the tray watcher's signal StatusNotifierHostRegistered() (a tray
// that comes to a watcher already there) to `receiver`'s slot, given as
// SLOT() spells it.
bool HearStatusNotifierHosts(QObject* receiver, const char* hostRegistered);

// A notice for the desktop's notification service.
struct DesktopNotice {
    QString summary;
    QString body;       // plain text
    int timeoutMs = -1; // -1: as long as the desktop keeps its notices
    // The notice shown earlier that this one replaces; 0 for a new one.
    uint replacesId = 0;
    // Pairs of key and label; "default" is a click on the notice itself.
    QStringList actions;
    // What the notice tells of ("transfer.complete"), for the desktop's
    // settings; none when empty.
    QString category;
};

// The service's Notify call for `notice`, with the program's icon and
// desktop entry and the body escaped where the service reads markup. Its
// answer is the notice's number. None when there is no service to take it.
std::optional<QDBusMessage> DesktopNoticeCall(const DesktopNotice& notice);

// Shows a notice through the desktop's notification service, with the
// program's icon and desktop entry; `body` is plain text, escaped where the
// service reads markup. False when there is no service to take it.
bool NotifyDesktop(const QString& summary, const QString& body, int timeoutMs);

// Connects the service's signals ActionInvoked(uint id, QString key) and
// NotificationClosed(uint id, uint reason) to `receiver`'s slots, given as
// SLOT() spells them. They come for every program's notices: the receiver
// matches the number.
bool HearDesktopNotices(QObject* receiver, const char* actionInvoked, const char* closed);

} // namespace vexo
