#include "app/hints.h"
#include "app/main_window_controls.h"
#include "app/tab_builders.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace vexo {

namespace {

QAction* MakeItem(QMenu* menu, const char* name, const QString& caption, const QString& hint = QString())
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    SetHint(item, hint);
    return item;
}

} // namespace

void BuildMenus(MainWindowControls& c, QWidget* window)
{
    c.PopupMenu1 = new QMenu(window);
    c.PopupMenu1->setObjectName("PopupMenu1");
    c.Delete1 = MakeItem(c.PopupMenu1, "Delete1", QString::fromUtf8("Удалить"),
                         QString::fromUtf8("Удаляет выбраный файл из очереди (не с диска)"));
    c.realnam = MakeItem(c.PopupMenu1, "realnam", QString::fromUtf8("Реалнейм"),
                         QString::fromUtf8("Реальное имя файла (то которое было до шифрования)"));
    c.Sizef = MakeItem(c.PopupMenu1, "Sizef", QString::fromUtf8("Размер"),
                       QString::fromUtf8("Размер файла до шифрования (и после дешифровки естественно)"));
    c.Key = MakeItem(c.PopupMenu1, "Key", QString::fromUtf8("Ключ"), QString::fromUtf8("Ключ шифрования"));
    for (QAction* info : {c.realnam, c.Sizef, c.Key})
        info->setEnabled(false);

    // No parent: the tray menu stays usable while the main window is disabled
    // (the settings dialog is open). The main window deletes it.
    c.PopupMenu2 = new QMenu;
    c.PopupMenu2->setObjectName("PopupMenu2");
    c.N5 = MakeItem(c.PopupMenu2, "N5", QString::fromUtf8("Показать/скрыть"));
    QFont bold = c.N5->font();
    bold.setBold(true);
    c.N5->setFont(bold);
    c.PopupMenu2->setDefaultAction(c.N5);
    c.N2 = MakeItem(c.PopupMenu2, "N2", QString::fromUtf8("Проверить новые файлы"));
    c.N4 = MakeItem(c.PopupMenu2, "N4", QString::fromUtf8("Автообновление"));
    c.N4->setCheckable(true);
    c.N3 = MakeItem(c.PopupMenu2, "N3", QString::fromUtf8("Выход"));

    c.Tray = new QSystemTrayIcon(window);
    c.Tray->setObjectName("Tray");
    c.Tray->setContextMenu(c.PopupMenu2);
}

} // namespace vexo
