// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop's tray and notification service on a session bus of a test's
// own: a StatusNotifierWatcher with a host, as KDE Plasma and GNOME's tray
// extension have, and org.freedesktop.Notifications reading markup. What
// the program does with them goes to the log file, one line each:
//   item SERVICE                the tray icon registered
//   tooltip SERVICE             the icon announced a new tool tip
//   notify APP|ICON|SUMMARY|BODY|desktop-entry=ENTRY
//   desktop_bus_fake LOG_FILE
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTextStream>
#include <QVariantMap>

#include <cstdio>

namespace {

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
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("body-markup")}; }
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: desktop_bus_fake LOG_FILE\n", stderr);
        return 2;
    }
    Log log(QString::fromLocal8Bit(argv[1]));
    Watcher watcher(log);
    Notifications notifications(log);
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto all =
        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSignals;
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher, all)
        || !bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications, all)
        || !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))
        || !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fputs("desktop_bus_fake: cannot take the desktop's names on the bus\n", stderr);
        return 1;
    }
    log.line(QStringLiteral("ready"));
    return app.exec();
}

#include "desktop_bus_fake.moc"
