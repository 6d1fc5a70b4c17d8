// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tray_icon.h"

#include "app/dbus_menu.h"
#include "app/desktop_bus.h"
#include "app/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QMenu>

#include <utility>

namespace vexo {

namespace {

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
// Another icon of this process (one left by a test, say) may hold a name.
constexpr int kServiceNameTries = 16;

} // namespace

TrayIcon::TrayIcon(QObject* parent) : QObject(parent)
{}

TrayIcon::~TrayIcon()
{
    leaveSessionBus();
}

void TrayIcon::setIcon(const QIcon& icon)
{
    icon_ = icon;
    if (item_)
        item_->setIcon(icon);
    if (fallback_)
        fallback_->setIcon(icon);
}

void TrayIcon::setToolTip(const QString& text)
{
    toolTip_ = text;
    if (item_)
        item_->setToolTip(text);
    if (fallback_)
        fallback_->setToolTip(text);
}

void TrayIcon::setContextMenu(QMenu* menu)
{
    menu_ = menu;
    if (fallback_)
        fallback_->setContextMenu(menu);
}

QMenu* TrayIcon::contextMenu() const
{
    return menu_;
}

void TrayIcon::show()
{
    if (visible_)
        return;
    visible_ = true;
    if (QDBusServiceWatcher* watcher = WatchForStatusNotifierTray(this))
        connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { watcherRegistered(); });
    if (!(StatusNotifierTrayPresent() && putOnSessionBus()))
        putInFallback();
}

QRect TrayIcon::geometry() const
{
    return fallback_ ? fallback_->geometry() : QRect();
}

bool TrayIcon::putOnSessionBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    itemObject_ = new QObject(this);
    item_ = new StatusNotifierItem(
        *itemObject_, QDBusObjectPath(menu_ ? kMenuPath : QStringLiteral("/")),
        [this](QSystemTrayIcon::ActivationReason reason, const QPoint& at) { itemClicked(reason, at); });
    item_->setIcon(icon_);
    item_->setToolTip(toolTip_);
    bool exported = bus.registerObject(kItemPath, itemObject_);
    if (exported && menu_) {
        menuObject_ = new QObject(this);
        new DBusMenu(*menuObject_, *menu_);
        exported = bus.registerObject(kMenuPath, menuObject_);
    }
    for (int n = 1; exported && serviceName_.isEmpty() && n <= kServiceNameTries; ++n) {
        const QString name =
            QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(QCoreApplication::applicationPid()).arg(n);
        if (bus.registerService(name))
            serviceName_ = name;
    }
    if (serviceName_.isEmpty()) {
        leaveSessionBus();
        return false;
    }
    RegisterWithStatusNotifierTray(serviceName_);
    return true;
}

void TrayIcon::leaveSessionBus()
{
    if (!itemObject_)
        return;
    if (!serviceName_.isEmpty())
        QDBusConnection::sessionBus().unregisterService(std::exchange(serviceName_, QString()));
    // An object leaves the bus with its deletion; a path another icon holds
    // stays its own.
    delete std::exchange(itemObject_, nullptr);
    item_ = nullptr;
    delete std::exchange(menuObject_, nullptr);
}

void TrayIcon::putInFallback()
{
    fallback_ = new QSystemTrayIcon(icon_, this);
    fallback_->setToolTip(toolTip_);
    fallback_->setContextMenu(menu_);
    connect(fallback_, &QSystemTrayIcon::activated, this, &TrayIcon::activated);
    connect(fallback_, &QSystemTrayIcon::messageClicked, this, &TrayIcon::messageClicked);
    fallback_->show();
    if (!std::exchange(hearingHosts_, true))
        HearStatusNotifierHosts(this, SLOT(moveIntoBusTray()));
}

void TrayIcon::watcherRegistered()
{
    if (item_)
        RegisterWithStatusNotifierTray(serviceName_);
    else
        moveIntoBusTray();
}

void TrayIcon::moveIntoBusTray()
{
    if (!fallback_ || !StatusNotifierTrayPresent())
        return;
    delete std::exchange(fallback_, nullptr);
    if (!putOnSessionBus())
        putInFallback();
}

void TrayIcon::itemClicked(QSystemTrayIcon::ActivationReason reason, const QPoint& at)
{
    if (reason == QSystemTrayIcon::Context && menu_)
        menu_->popup(at);
    emit activated(reason);
}

void TrayIcon::showMessage(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon kind, int timeoutMs)
{
    if (item_)
        NotifyDesktop(title, text, timeoutMs);
    else if (fallback_ && QSystemTrayIcon::isSystemTrayAvailable())
        fallback_->showMessage(title, text, kind, timeoutMs);
}

} // namespace vexo
