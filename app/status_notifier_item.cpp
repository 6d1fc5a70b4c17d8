// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/status_notifier_item.h"

#include <QIcon>

#include <algorithm>
#include <utility>

namespace vexo {

namespace {

bool SamePictures(const BusIconPixmaps& one, const BusIconPixmaps& other)
{
    return std::equal(one.begin(), one.end(), other.begin(), other.end(),
                      [](const BusIconPixmap& a, const BusIconPixmap& b) {
                          return a.width == b.width && a.height == b.height && a.argb == b.argb;
                      });
}

} // namespace

StatusNotifierItem::StatusNotifierItem(QObject& exported, const QDBusObjectPath& menuPath, Clicked clicked)
    : QDBusAbstractAdaptor(&exported), menuPath_(menuPath), clicked_(std::move(clicked))
{
    RegisterDesktopBusTypes();
}

void StatusNotifierItem::setIcon(const QIcon& icon)
{
    BusIconPixmaps pixmaps = BusPixmaps(icon);
    if (SamePictures(pixmaps, pixmaps_))
        return;
    pixmaps_ = std::move(pixmaps);
    emit NewIcon();
}

void StatusNotifierItem::setToolTip(const QString& text)
{
    if (text == toolTip_)
        return;
    toolTip_ = text;
    emit NewToolTip();
}

void StatusNotifierItem::Activate(int x, int y)
{
    clicked_(QSystemTrayIcon::Trigger, QPoint(x, y));
}

void StatusNotifierItem::SecondaryActivate(int x, int y)
{
    clicked_(QSystemTrayIcon::MiddleClick, QPoint(x, y));
}

void StatusNotifierItem::ContextMenu(int x, int y)
{
    clicked_(QSystemTrayIcon::Context, QPoint(x, y));
}

void StatusNotifierItem::Scroll(int /*delta*/, const QString& /*orientation*/)
{}

} // namespace vexo
