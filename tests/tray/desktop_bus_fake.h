// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The services of desktop_bus_fake (see there): a StatusNotifierWatcher with
// a host, and a notification service, each writing what it hears to a log.
#include <QDBusConnection>
#include <QFile>
#include <QObject>
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
    bool hostRegistered() const { return true; }
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
    void toolTipChanged() { log_.line(QStringLiteral("tooltip")); }

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    Log& log_;
    QStringList items_;
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
    uint Notify(const QString& app, uint, const QString& icon, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap& hints, int)
    {
        log_.line(QStringLiteral("notify %1|%2|%3|%4|desktop-entry=%5")
                      .arg(app, icon, summary, body, hints.value(QStringLiteral("desktop-entry")).toString()));
        return ++last_;
    }
    void CloseNotification(uint) {}
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion)
    {
        vendor = QStringLiteral("tests");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("desktop_bus_fake");
    }

private:
    Log& log_;
    uint last_ = 0;
};

} // namespace vexo::test
