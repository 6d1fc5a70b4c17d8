// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dbus_menu.h"

#include <QAction>
#include <QActionEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMetaObject>

namespace vexo {

namespace {

const QString kLabel = QStringLiteral("label");
const QString kEnabled = QStringLiteral("enabled");
const QString kVisible = QStringLiteral("visible");
const QString kType = QStringLiteral("type");
const QString kToggleType = QStringLiteral("toggle-type");
const QString kToggleState = QStringLiteral("toggle-state");
const QString kChildrenDisplay = QStringLiteral("children-display");

QVariantMap OnlyNamed(QVariantMap properties, const QStringList& names)
{
    if (names.isEmpty())
        return properties;
    for (auto it = properties.begin(); it != properties.end();)
        it = names.contains(it.key()) ? std::next(it) : properties.erase(it);
    return properties;
}

} // namespace

QString BusMenuLabel(const QString& caption)
{
    QString label;
    label.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        if (c == QLatin1Char('_')) {
            label += QStringLiteral("__");
        } else if (c != QLatin1Char('&')) {
            label += c;
        } else if (i + 1 < caption.size()) {
            label += caption[i + 1] == QLatin1Char('&') ? QLatin1Char('&') : QLatin1Char('_');
            if (caption[i + 1] == QLatin1Char('&'))
                ++i;
        }
    }
    return label;
}

QVariantMap BusMenuProperties(const QAction& action)
{
    QVariantMap properties{{kVisible, action.isVisible()}};
    if (action.isSeparator()) {
        properties.insert(kType, QStringLiteral("separator"));
        return properties;
    }
    properties.insert(kLabel, BusMenuLabel(action.text()));
    properties.insert(kEnabled, action.isEnabled());
    if (action.isCheckable()) {
        properties.insert(kToggleType, QStringLiteral("checkmark"));
        properties.insert(kToggleState, action.isChecked() ? 1 : 0);
    }
    if (action.menu())
        properties.insert(kChildrenDisplay, QStringLiteral("submenu"));
    return properties;
}

DBusMenu::DBusMenu(QObject& exported, QMenu& menu) : QDBusAbstractAdaptor(&exported), menu_(menu)
{
    RegisterDesktopBusTypes();
    watch(&menu_);
}

QString DBusMenu::textDirection()
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
}

void DBusMenu::watch(QMenu* menu)
{
    // A menu hears of each change of its actions: one filter sees them all.
    menu->installEventFilter(this);
}

int DBusMenu::idOf(QAction* action)
{
    auto known = ids_.constFind(action);
    if (known != ids_.constEnd())
        return *known;
    const int id = ++lastId_;
    ids_.insert(action, id);
    actions_.insert(id, action);
    connect(action, &QObject::destroyed, this, [this, action, id] {
        ids_.remove(action);
        actions_.remove(id);
        told_.remove(id);
    });
    if (action->menu())
        watch(action->menu());
    return id;
}

QMenu* DBusMenu::menuOf(int id) const
{
    if (id == 0)
        return &menu_;
    const QPointer<QAction> action = actions_.value(id);
    return action ? action->menu() : nullptr;
}

QVariantMap DBusMenu::propertiesOf(int id)
{
    if (id == 0)
        return {{kChildrenDisplay, QStringLiteral("submenu")}};
    const QPointer<QAction> action = actions_.value(id);
    if (!action)
        return {};
    QVariantMap properties = BusMenuProperties(*action);
    told_.insert(id, properties);
    return properties;
}

BusMenuLayout DBusMenu::layoutOf(int id, int depth, const QStringList& names)
{
    BusMenuLayout layout{id, OnlyNamed(propertiesOf(id), names), {}};
    QMenu* menu = menuOf(id);
    if (!menu || depth == 0)
        return layout;
    for (QAction* action : menu->actions())
        layout.children << layoutOf(idOf(action), depth < 0 ? depth : depth - 1, names);
    return layout;
}

uint DBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames, BusMenuLayout& layout)
{
    layout = layoutOf(parentId, recursionDepth, propertyNames);
    return revision_;
}

BusMenuItems DBusMenu::GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames)
{
    BusMenuItems items;
    for (int id : ids) {
        if (id == 0 || actions_.value(id))
            items << BusMenuItem{id, OnlyNamed(propertiesOf(id), propertyNames)};
    }
    return items;
}

QDBusVariant DBusMenu::GetProperty(int id, const QString& name)
{
    return QDBusVariant(propertiesOf(id).value(name));
}

bool DBusMenu::handleEvent(int id, const QString& eventId)
{
    if (id == 0)
        return true;
    const QPointer<QAction> action = actions_.value(id);
    if (!action)
        return false;
    // Triggered once the tray has its answer: "Выход" ends the program.
    if (eventId == QLatin1String("clicked") && action->isEnabled() && !action->menu())
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
    return true;
}

void DBusMenu::Event(int id, const QString& eventId, const QDBusVariant& /*data*/, uint /*timestamp*/)
{
    handleEvent(id, eventId);
}

QList<int> DBusMenu::EventGroup(const BusMenuEvents& events)
{
    QList<int> idErrors;
    for (const BusMenuEvent& event : events) {
        if (!handleEvent(event.id, event.eventId))
            idErrors << event.id;
    }
    return idErrors;
}

bool DBusMenu::AboutToShow(int /*id*/)
{
    // Every change is sent as it happens: the tray never needs to ask again.
    return false;
}

QList<int> DBusMenu::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
{
    for (int id : ids) {
        if (id != 0 && !actions_.value(id))
            idErrors << id;
    }
    return {};
}

void DBusMenu::actionChanged(QAction* action)
{
    const auto known = ids_.constFind(action);
    // An item the tray has not seen yet comes with the layout it asks for.
    if (known == ids_.constEnd() || !told_.contains(*known))
        return;
    const int id = *known;
    const QVariantMap before = told_.value(id);
    const QVariantMap now = propertiesOf(id);
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it) {
        if (before.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    QStringList gone;
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!now.contains(it.key()))
            gone << it.key();
    }
    if (changed.isEmpty() && gone.isEmpty())
        return;
    BusMenuItemKeysList removed;
    if (!gone.isEmpty())
        removed << BusMenuItemKeys{id, gone};
    emit ItemsPropertiesUpdated(changed.isEmpty() ? BusMenuItems() : BusMenuItems{{id, changed}}, removed);
}

bool DBusMenu::eventFilter(QObject* watched, QEvent* event)
{
    auto* menu = qobject_cast<QMenu*>(watched);
    switch (event->type()) {
    case QEvent::ActionChanged: actionChanged(static_cast<QActionEvent*>(event)->action()); break;
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
        emit LayoutUpdated(++revision_, menu == &menu_ ? 0 : ids_.value(menu->menuAction(), 0));
        break;
    default: break;
    }
    return QDBusAbstractAdaptor::eventFilter(watched, event);
}

} // namespace vexo
