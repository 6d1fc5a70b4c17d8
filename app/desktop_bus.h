// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <chrono>

namespace vexo {

// What the desktop offers on the session bus, for the tray icon and the
// arrival notices.

// Whether a StatusNotifierItem tray (KDE Plasma, GNOME with its extension)
// is there to show the icon, as Qt asks before it puts the icon on the bus.
// Such trays know no double click: a click activates the icon.
bool StatusNotifierTrayPresent();

// Qt looks for such a tray once, when the first tray icon is made, and a
// tray that comes later never gets the icon. A start at login may come
// before the desktop's tray: this waits, up to `limit`, for the tray's
// watcher to come on the session bus. At once where it is there already,
// or where there is no session bus.
void WaitForStatusNotifierTray(std::chrono::milliseconds limit);

// Shows a notice through the desktop's notification service, with the
// program's icon and desktop entry; `body` is plain text, escaped where the
// service reads markup. False when there is no service to take it.
bool NotifyDesktop(const QString& summary, const QString& body, int timeoutMs);

} // namespace vexo
