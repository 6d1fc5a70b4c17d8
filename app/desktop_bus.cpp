// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktop_bus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

namespace vexo {

namespace {

const QString kDesktopId = QStringLiteral("io.github.vexorama.Vexorama");
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
// A desktop service that does not answer within this is taken as absent:
// the window does not wait longer for it.
constexpr int kAnswerMs = 1000;

bool ServiceRegistered(const QString& name)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(name).value();
}

// Asked of each notification service once: arrivals come one after the
// other, and the window would wait on every one of them.
QStringList NotificationCapabilities()
{
    static QString askedOwner;
    static QStringList known;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString owner = bus.interface()->serviceOwner(kNotifications).value();
    if (owner == askedOwner)
        return known;
    QDBusMessage ask = QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kNotifications,
                                                      QStringLiteral("GetCapabilities"));
    const QDBusReply<QStringList> reply = bus.call(ask, QDBus::Block, kAnswerMs);
    askedOwner = owner;
    known = reply.isValid() ? reply.value() : QStringList();
    return known;
}

} // namespace

bool StatusNotifierTrayPresent()
{
    if (!ServiceRegistered(kWatcher))
        return false;
    QDBusMessage ask = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    ask << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusReply<QDBusVariant> reply = QDBusConnection::sessionBus().call(ask, QDBus::Block, kAnswerMs);
    return reply.isValid() && reply.value().variant().toBool();
}

void WaitForStatusNotifierTray(std::chrono::milliseconds limit)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || ServiceRegistered(kWatcher))
        return;
    QEventLoop wait;
    const QDBusServiceWatcher watcher(kWatcher, bus, QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &wait, &QEventLoop::quit);
    QTimer::singleShot(limit, &wait, &QEventLoop::quit);
    // Registered between the question and the watching.
    QTimer::singleShot(0, &wait, [&wait] {
        if (ServiceRegistered(kWatcher))
            wait.quit();
    });
    wait.exec();
}

void RegisterWithStatusNotifierTray(const QString& service)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kWatcher, kWatcherPath, kWatcher, QStringLiteral("RegisterStatusNotifierItem"));
    call << service;
    QDBusConnection::sessionBus().send(call);
}

QDBusServiceWatcher* WatchForStatusNotifierTray(QObject* parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return nullptr;
    return new QDBusServiceWatcher(kWatcher, bus, QDBusServiceWatcher::WatchForRegistration, parent);
}

bool HearStatusNotifierHosts(QObject* receiver, const char* hostRegistered)
{
    return QDBusConnection::sessionBus().connect(
        kWatcher, kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostRegistered"), receiver, hostRegistered);
}

std::optional<QDBusMessage> DesktopNoticeCall(const DesktopNotice& notice)
{
    if (!ServiceRegistered(kNotifications))
        return std::nullopt;
    // File names from the server may hold "&" or "<": where the service
    // reads markup they are shown as they are, not taken for it.
    const bool markup = NotificationCapabilities().contains(QStringLiteral("body-markup"));
    QDBusMessage notify =
        QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kNotifications, QStringLiteral("Notify"));
    QVariantMap hints{{QStringLiteral("desktop-entry"), kDesktopId}};
    if (!notice.category.isEmpty())
        hints.insert(QStringLiteral("category"), notice.category);
    notify << QStringLiteral("Vexorama") << notice.replacesId << kDesktopId << notice.summary
           << (markup ? notice.body.toHtmlEscaped() : notice.body) << notice.actions << hints << notice.timeoutMs;
    return notify;
}

bool NotifyDesktop(const QString& summary, const QString& body, int timeoutMs)
{
    const std::optional<QDBusMessage> notify = DesktopNoticeCall({summary, body, timeoutMs, 0, {}, {}});
    // Nothing waits for the notice's number.
    return notify && QDBusConnection::sessionBus().send(*notify);
}

bool HearDesktopNotices(QObject* receiver, const char* actionInvoked, const char* closed)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.connect(kNotifications, kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"), receiver,
                       actionInvoked)
           && bus.connect(kNotifications, kNotificationsPath, kNotifications, QStringLiteral("NotificationClosed"),
                          receiver, closed);
}

} // namespace vexo
