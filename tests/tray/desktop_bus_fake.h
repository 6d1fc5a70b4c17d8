// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The services of desktop_bus_fake (see there): a StatusNotifierWatcher with
// a host, and a notification service, each writing what it hears to a log.
#include <QDBusConnection>
#include <QFile>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

namespace vexo::test {

class Log {
public:
    explicit Log(const QString& path) : file_(path) { file_.open(QIODevice::WriteOnly | QIODevice::Append); }
    void line(const QString& text)
    {
        file_.write(text.toUtf8() + '\n');
        file_.flush();
    }

private:
    QFile file_;
};

class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    explicit Watcher(Log& log) : log_(log) {}
    bool hostRegistered() const { return host_; }
    QStringList items() const { return items_; }
    int protocolVersion() const { return 0; }

public slots:
    void RegisterStatusNotifierItem(const QString& service)
    {
        items_ << service;
        log_.line(QStringLiteral("item ") + service);
        QDBusConnection::sessionBus().connect(service, QString(), QStringLiteral("org.kde.StatusNotifierItem"),
                                              QStringLiteral("NewToolTip"), this, SLOT(toolTipChanged()));
        emit StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}
    // The fake's own: the desktop's shell ends, its watcher leaving the bus
    // and forgetting the items; it comes back; or both at once.
    void Leave()
    {
        QDBusConnection::sessionBus().unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        items_.clear();
        log_.line(QStringLiteral("left"));
    }
    void Return() { QDBusConnection::sessionBus().registerService(QStringLiteral("org.kde.StatusNotifierWatcher")); }
    void Restart()
    {
        Leave();
        Return();
    }
    // The fake's own: the tray that shows the items goes, and comes.
    void DropHost() { host_ = false; }
    void AddHost()
    {
        host_ = true;
        emit StatusNotifierHostRegistered();
    }
    void toolTipChanged() { log_.line(QStringLiteral("tooltip")); }

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    Log& log_;
    QStringList items_;
    bool host_ = true;
};

class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit Notifications(Log& log) : log_(log) {}

public slots:
    QStringList GetCapabilities()
    {
        log_.line(QStringLiteral("capabilities"));
        return {QStringLiteral("body"), QStringLiteral("body-markup")};
    }
    // A notice that replaces one still shown keeps its number.
    uint Notify(const QString& app, uint replacesId, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int)
    {
        QString oneLine = body;
        oneLine.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
        const uint id = shown_.contains(replacesId) ? replacesId : ++last_;
        shown_.insert(id);
        log_.line(QStringLiteral("notify %1|%2|%3|%4|desktop-entry=%5|%6|%7>%8")
                      .arg(app, icon, summary, oneLine, hints.value(QStringLiteral("desktop-entry")).toString(),
                           actions.join(QLatin1Char(',')), QString::number(replacesId), QString::number(id)));
        return id;
    }
    void CloseNotification(uint id)
    {
        if (shown_.remove(id))
            emit NotificationClosed(id, 3);
    }
    // The fake's own: the user clicks an action of a notice, which then
    // goes, as most desktops do it.
    void InvokeAction(uint id, const QString& key)
    {
        emit ActionInvoked(id, key);
        if (shown_.remove(id))
            emit NotificationClosed(id, 2);
    }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion)
    {
        vendor = QStringLiteral("tests");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("desktop_bus_fake");
    }

signals:
    void ActionInvoked(uint id, const QString& key);
    void NotificationClosed(uint id, uint reason);

private:
    Log& log_;
    uint last_ = 0;
    QSet<uint> shown_;
};

} // namespace vexo::test
