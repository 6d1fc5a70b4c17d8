// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/desktop_bus_types.h"

#include <QDBusAbstractAdaptor>
#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>

class QAction;
class QMenu;

namespace vexo {

// A QMenu as the desktop's tray draws it (com.canonical.dbusmenu), on the
// object it is exported with: the tray asks for the items and their
// properties, and hands back the user's clicks, which trigger the actions.
// Every change of an item (caption, enabled, checked, shown) and every item
// added or removed is told to the tray as it happens. Item 0 is the menu.
class DBusMenu : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    DBusMenu(QObject& exported, QMenu& menu);

    static uint version() { return 3; }
    static QString textDirection();
    static QString status() { return QStringLiteral("normal"); }
    static QStringList iconThemePath() { return {}; }

    // Called by name from the desktop's bus.
public slots: // NOLINT(readability-redundant-access-specifiers)
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames, vexo::BusMenuLayout& layout);
    vexo::BusMenuItems GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const vexo::BusMenuEvents& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    void ItemsPropertiesUpdated(const vexo::BusMenuItems& updatedProps, const vexo::BusMenuItemKeysList& removedProps);
    void LayoutUpdated(uint revision, int parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The end of moc's slots, which the compiler does not see.
private: // NOLINT(readability-redundant-access-specifiers)
    int idOf(QAction* action);
    QMenu* menuOf(int id) const;
    QVariantMap propertiesOf(int id);
    BusMenuLayout layoutOf(int id, int depth, const QStringList& names);
    bool handleEvent(int id, const QString& eventId);
    void watch(QMenu* menu);
    void actionChanged(QAction* action);

    QMenu& menu_;
    QHash<QAction*, int> ids_;
    QHash<int, QPointer<QAction>> actions_;
    int lastId_ = 0;
    uint revision_ = 1;
    // What the tray was last told of each item, so that a change sends
    // only what changed.
    QHash<int, QVariantMap> told_;
};

// An item's caption as the tray reads it: "_" marks the mnemonic there, so
// a plain one is doubled; Qt's "&" mark becomes "_", and "&&" a plain "&".
QString BusMenuLabel(const QString& caption);

// The item's properties for the tray: its label, whether it is enabled and
// shown, its check mark, its submenu; a separator's type.
QVariantMap BusMenuProperties(const QAction& action);

} // namespace vexo
