// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/arrival_notice.h"
#include "app/hints.h"
#include "app/main_window_controls.h"
#include "app/tab_builders.h"
#include "app/tray_icon.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace vexo {

namespace {

QAction* MakeItem(QMenu* menu, const QString& caption, const QString& hint = QString())
{
    QAction* item = menu->addAction(caption);
    SetHint(item, hint);
    return item;
}

} // namespace

void BuildMenus(MainWindowControls& c, QWidget* window)
{
    c.queueMenu = new QMenu(window);
    c.removeEntryItem = MakeItem(c.queueMenu, QString::fromUtf8("Удалить"),
                                 QString::fromUtf8("Удаляет выбраный файл из очереди (не с диска)"));
    c.realNameItem = MakeItem(c.queueMenu, QString::fromUtf8("Реалнейм"),
                              QString::fromUtf8("Реальное имя файла (то которое было до шифрования)"));
    c.sizeItem = MakeItem(c.queueMenu, QString::fromUtf8("Размер"),
                          QString::fromUtf8("Размер файла до шифрования (и после дешифровки естественно)"));
    c.keyItem = MakeItem(c.queueMenu, QString::fromUtf8("Ключ"), QString::fromUtf8("Ключ шифрования"));
    for (QAction* info : {c.realNameItem, c.sizeItem, c.keyItem})
        info->setEnabled(false);

    // No parent: the tray menu stays usable while the settings dialog blocks
    // the main window. The main window deletes it.
    c.trayMenu = new QMenu;
    c.showWindowItem = MakeItem(c.trayMenu, QString::fromUtf8("Показать/скрыть"));
    QFont bold = c.showWindowItem->font();
    bold.setBold(true);
    c.showWindowItem->setFont(bold);
    c.trayMenu->setDefaultAction(c.showWindowItem);
    c.checkServerItem = MakeItem(c.trayMenu, QString::fromUtf8("Проверить новые файлы"));
    c.stopItem = MakeItem(c.trayMenu, QString::fromUtf8("Остановить"));
    c.stopItem->setEnabled(false);
    c.autoCheckItem = MakeItem(c.trayMenu, QString::fromUtf8("Автообновление"));
    c.autoCheckItem->setCheckable(true);
    c.exitItem = MakeItem(c.trayMenu, QString::fromUtf8("Выход"));
    // The keys belong to the main window; the tray menu shows its captions
    // alone. Each key runs its tray item, so both take the same road.
    const auto addKey = [window](QAction* item, const QKeySequence& key) {
        auto* shortcut = new QAction(window);
        shortcut->setShortcut(key);
        QObject::connect(shortcut, &QAction::triggered, item, &QAction::trigger);
        window->addAction(shortcut);
    };
    addKey(c.checkServerItem, QKeySequence(Qt::Key_F5));
    addKey(c.exitItem, QKeySequence(Qt::CTRL | Qt::Key_Q));

    c.trayIcon = new TrayIcon(window);
    c.trayIcon->setContextMenu(c.trayMenu);
    c.arrivalNotice = new ArrivalNotice(*c.trayIcon);
}

} // namespace vexo
