// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of the tray menu opened from the tray icon, for the docs:
//   tray_menu_screenshot OUTPUT.png
// Run it under xvfb-run with trayer installed.
#include "app/main_window.h"
#include "tests/display_support/display_test.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tray_menu_screenshot OUTPUT.png\n");
        return 2;
    }
    using namespace std::chrono_literals;
    vexo::test::TrayHost tray;
    if (!tray.up()) {
        std::fprintf(stderr, "no tray: install trayer and run under xvfb-run\n");
        return 1;
    }

    // A program folder of its own, so no settings file of the user is touched.
    QTemporaryDir programFolder;
    vexo::MainWindow window((programFolder.path() + "/vexorama").toStdString(), {});
    vexo::MainWindowControls& c = window.controls();
    if (!vexo::test::WaitUntil([&] { return vexo::test::TrayHost::Placed(c.trayIcon->geometry()); }, 10s)) {
        std::fprintf(stderr, "the tray did not take the icon\n");
        return 1;
    }

    const QRect icon = c.trayIcon->geometry();
    QMenu* menu = c.trayMenu;
    menu->popup(QPoint(icon.right() - menu->sizeHint().width(), icon.bottom() + 4));
    menu->setActiveAction(c.showWindowItem);
    vexo::test::WaitUntil([&] { return menu->isVisible(); }, 5s);
    vexo::test::WaitUntil([] { return false; }, 500ms);

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = icon.united(menu->geometry()).adjusted(-24, 0, 24, 24).intersected(screen->geometry());
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    return shot.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
