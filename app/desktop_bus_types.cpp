// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktop_bus_types.h"

#include <QDBusMetaType>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QtEndian>

namespace vexo {

namespace {

// The sizes of tray icons at one and two device pixels a point.
constexpr int kTraySides[] = {16, 22, 24, 32, 48, 64};

BusIconPixmap BusPixmap(const QIcon& icon, int side)
{
    QImage image = icon.pixmap(QSize(side, side), 1.0).toImage();
    if (image.isNull())
        return {};
    if (image.size() != QSize(side, side))
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_ARGB32);
    BusIconPixmap pixmap{image.width(), image.height(), QByteArray(qsizetype(image.width()) * image.height() * 4, 0)};
    char* out = pixmap.argb.data();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x, out += 4)
            qToBigEndian<quint32>(line[x], out);
    }
    return pixmap;
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const BusIconPixmap& pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusIconPixmap& pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.argb;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const BusToolTip& tip)
{
    argument.beginStructure();
    argument << tip.iconName << tip.pixmaps << tip.title << tip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusToolTip& tip)
{
    argument.beginStructure();
    argument >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const BusMenuItem& item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusMenuItem& item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const BusMenuItemKeys& keys)
{
    argument.beginStructure();
    argument << keys.id << keys.keys;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusMenuItemKeys& keys)
{
    argument.beginStructure();
    argument >> keys.id >> keys.keys;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const BusMenuLayout& layout)
{
    argument.beginStructure();
    argument << layout.id << layout.properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const BusMenuLayout& child : layout.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusMenuLayout& layout)
{
    argument.beginStructure();
    argument >> layout.id >> layout.properties;
    layout.children.clear();
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        layout.children << qdbus_cast<BusMenuLayout>(child.variant());
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const BusMenuEvent& event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusMenuEvent& event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

void RegisterDesktopBusTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<BusIconPixmap>();
        qDBusRegisterMetaType<BusIconPixmaps>();
        qDBusRegisterMetaType<BusToolTip>();
        qDBusRegisterMetaType<BusMenuItem>();
        qDBusRegisterMetaType<BusMenuItems>();
        qDBusRegisterMetaType<BusMenuItemKeys>();
        qDBusRegisterMetaType<BusMenuItemKeysList>();
        qDBusRegisterMetaType<BusMenuLayout>();
        qDBusRegisterMetaType<BusMenuEvent>();
        qDBusRegisterMetaType<BusMenuEvents>();
        return true;
    }();
    (void)registered;
}

BusIconPixmaps BusPixmaps(const QIcon& icon)
{
    BusIconPixmaps pixmaps;
    for (int side : kTraySides) {
        BusIconPixmap pixmap = BusPixmap(icon, side);
        if (!pixmap.argb.isEmpty())
            pixmaps << pixmap;
    }
    return pixmaps;
}

} // namespace vexo
