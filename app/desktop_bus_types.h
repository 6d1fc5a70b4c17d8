// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QIcon;

namespace vexo {

// The structures the desktop's tray reads from the program's icon and its
// menu on the session bus, with their bus signatures.

// One picture of an icon, (iiay): ARGB32 pixels in network byte order.
struct BusIconPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using BusIconPixmaps = QList<BusIconPixmap>;

// The icon's tool tip, (sa(iiay)ss): an icon (none: the tray shows the
// item's own), a title and the text below it.
struct BusToolTip {
    QString iconName;
    BusIconPixmaps pixmaps;
    QString title;
    QString text;
};

// A menu item's properties, (ia{sv}).
struct BusMenuItem {
    int id = 0;
    QVariantMap properties;
};
using BusMenuItems = QList<BusMenuItem>;

// The names of properties an item lost, (ias).
struct BusMenuItemKeys {
    int id = 0;
    QStringList keys;
};
using BusMenuItemKeysList = QList<BusMenuItemKeys>;

// A menu item with its children, (ia{sv}av): each child a variant holding
// the same structure.
struct BusMenuLayout {
    int id = 0;
    QVariantMap properties;
    QList<BusMenuLayout> children;
};

// What the user did to an item, (isvu): "clicked", "hovered", "opened" or
// "closed".
struct BusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using BusMenuEvents = QList<BusMenuEvent>;

QDBusArgument& operator<<(QDBusArgument& argument, const BusIconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, BusIconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const BusToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& argument, BusToolTip& tip);
QDBusArgument& operator<<(QDBusArgument& argument, const BusMenuItem& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, BusMenuItem& item);
QDBusArgument& operator<<(QDBusArgument& argument, const BusMenuItemKeys& keys);
const QDBusArgument& operator>>(const QDBusArgument& argument, BusMenuItemKeys& keys);
QDBusArgument& operator<<(QDBusArgument& argument, const BusMenuLayout& layout);
const QDBusArgument& operator>>(const QDBusArgument& argument, BusMenuLayout& layout);
QDBusArgument& operator<<(QDBusArgument& argument, const BusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, BusMenuEvent& event);

// Makes the structures above known to the bus; before any object that
// uses them is put on it. Once a run is enough; later calls do nothing.
void RegisterDesktopBusTypes();

// `icon`'s pictures at the sizes trays draw, as the tray takes them.
BusIconPixmaps BusPixmaps(const QIcon& icon);

} // namespace vexo

Q_DECLARE_METATYPE(vexo::BusIconPixmap)
Q_DECLARE_METATYPE(vexo::BusIconPixmaps)
Q_DECLARE_METATYPE(vexo::BusToolTip)
Q_DECLARE_METATYPE(vexo::BusMenuItem)
Q_DECLARE_METATYPE(vexo::BusMenuItems)
Q_DECLARE_METATYPE(vexo::BusMenuItemKeys)
Q_DECLARE_METATYPE(vexo::BusMenuItemKeysList)
Q_DECLARE_METATYPE(vexo::BusMenuLayout)
Q_DECLARE_METATYPE(vexo::BusMenuEvent)
Q_DECLARE_METATYPE(vexo::BusMenuEvents)
