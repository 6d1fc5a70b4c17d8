// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/desktop_bus_types.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QPoint>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>

class QIcon;

namespace vexo {

// The program's tray icon as a tray of the session bus reads it
// (org.kde.StatusNotifierItem), on the object it is exported with: titled
// "Vexorama", with the program's pictures and a tool tip headed "Vexorama"
// whose text is the icon's tip, and the menu exported at `menuPath`. The
// tray hears of a new icon or tip only when it changed. The tray's clicks
// go to `clicked` as QSystemTrayIcon names them, with the point on the
// screen a context menu is asked at.
class StatusNotifierItem : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ noName)
    Q_PROPERTY(QString IconName READ noName)
    Q_PROPERTY(vexo::BusIconPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(vexo::BusIconPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(vexo::BusIconPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(vexo::BusToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
public:
    using Clicked = std::function<void(QSystemTrayIcon::ActivationReason reason, const QPoint& at)>;

    StatusNotifierItem(QObject& exported, const QDBusObjectPath& menuPath, Clicked clicked);

    void setIcon(const QIcon& icon);
    void setToolTip(const QString& text);

    static QString category() { return QStringLiteral("ApplicationStatus"); }
    static QString id() { return QStringLiteral("vexorama"); }
    static QString title() { return QStringLiteral("Vexorama"); }
    static QString status() { return QStringLiteral("Active"); }
    static int windowId() { return 0; }
    static QString noName() { return {}; }
    static BusIconPixmaps noPixmaps() { return {}; }
    BusIconPixmaps iconPixmap() const { return pixmaps_; }
    BusToolTip toolTip() const { return {{}, {}, title(), toolTip_}; }
    static bool itemIsMenu() { return false; }
    QDBusObjectPath menu() const { return menuPath_; }

    // Called by name from the desktop's bus.
public slots: // NOLINT(readability-redundant-access-specifiers)
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    // The program has no use for the wheel over its icon.
    void Scroll(int delta, const QString& orientation);

signals:
    // The title and the status never change; trays know their signals all
    // the same.
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

    // The end of moc's slots, which the compiler does not see.
private: // NOLINT(readability-redundant-access-specifiers)
    QDBusObjectPath menuPath_;
    Clicked clicked_;
    BusIconPixmaps pixmaps_;
    QString toolTip_;
};

} // namespace vexo
