// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QSystemTrayIcon>

class QMenu;

namespace vexo {

class DBusMenu;
class StatusNotifierItem;

// The program's tray icon, with the part of QSystemTrayIcon's interface the
// program uses. Where the desktop keeps its tray on the session bus (a
// StatusNotifierWatcher with a host: KDE Plasma, GNOME with its extension)
// when the icon is shown, the icon is the program's own item there, titled
// "Vexorama", whose tool tip is headed "Vexorama" with the tip's lines
// below, and whose menu is exported beside it; its balloons go to the
// desktop's notification service. Elsewhere (a tray of the X display, or
// none) it is a QSystemTrayIcon. Never both: the tray would show two icons.
// The item registers again when the tray's watcher comes back on the bus
// (a restarted desktop shell), and a desktop whose tray comes to the bus
// after the icon was shown (its watcher, or the tray itself to a watcher
// there already) gets the item in place of the QSystemTrayIcon.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent);
    ~TrayIcon() override;

    void setIcon(const QIcon& icon);
    QIcon icon() const { return icon_; }
    void setToolTip(const QString& text);
    QString toolTip() const { return toolTip_; }
    // Before show(): the menu is exported with the item.
    void setContextMenu(QMenu* menu);
    QMenu* contextMenu() const;

    // Puts the icon in the tray, for the rest of the run.
    void show();
    bool isVisible() const { return visible_; }
    // Whether the icon sits in a tray of the session bus, which knows no
    // double click: a click activates the icon.
    bool onSessionBus() const { return item_ != nullptr; }
    // Where the icon is on the screen, where its tray tells.
    QRect geometry() const;

    // A balloon beside the icon, a click on which is messageClicked(); where
    // the icon is on the session bus, a notice of the desktop's notification
    // service, which the program's callers try first anyway. Nothing where
    // there is no tray to show it.
    void showMessage(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon kind, int timeoutMs);

signals:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void messageClicked();

    // Called by name from the desktop's bus.
private slots:
    void moveIntoBusTray();

    // The end of moc's slots, which the compiler does not see.
private: // NOLINT(readability-redundant-access-specifiers)
    bool putOnSessionBus();
    void leaveSessionBus();
    void putInFallback();
    void watcherRegistered();
    void itemClicked(QSystemTrayIcon::ActivationReason reason, const QPoint& at);

    QIcon icon_;
    QString toolTip_;
    QPointer<QMenu> menu_;
    bool visible_ = false;

    // The icon on the session bus: the exported objects and their adaptors.
    QObject* itemObject_ = nullptr;
    QObject* menuObject_ = nullptr;
    StatusNotifierItem* item_ = nullptr;
    QString serviceName_;

    // The icon elsewhere.
    QSystemTrayIcon* fallback_ = nullptr;
    bool hearingHosts_ = false;
};

} // namespace vexo
