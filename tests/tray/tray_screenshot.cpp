// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of the tray for the docs: the menu opened from the icon,
// the notice of one check's arrivals while the window sits in the tray, or the
// icon's error look with its tool tip while the server cannot be reached:
//   tray_screenshot menu|notice|trouble OUTPUT.png
// Run it under xvfb-run with trayer installed.
#include "app/main_window.h"
#include "app/tray_icon.h"
#include "tests/display_support/display_test.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolTip>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// The area the menu opened from the icon covers, once it is shown.
QRect OpenMenu(vexo::MainWindowControls& c)
{
    const QRect icon = c.trayIcon->geometry();
    QMenu* menu = c.trayMenu;
    menu->popup(QPoint(icon.right() - menu->sizeHint().width(), icon.bottom() + 4));
    menu->setActiveAction(c.showWindowItem);
    vexo::test::WaitUntil([&] { return menu->isVisible(); }, 5s);
    return menu->geometry();
}

// The area of the notice of one check's arrivals, once it is shown.
QRect AnnounceArrivals(vexo::MainWindow& window)
{
    window.showMinimized();
    vexo::test::WaitUntil([&] { return !window.isVisible(); }, 5s);
    std::vector<std::string> arrived;
    for (const char* name : {"Отпуск 2026.avi", "Море.jpg", "Дети на пляже.mp4"}) {
        arrived.emplace_back(name);
        window.views().tray.announceArrivals(arrived);
    }
    window.views().tray.endArrivals();
    QWidget* notice = nullptr;
    vexo::test::WaitUntil(
        [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->inherits("QBalloonTip") && widget->isVisible())
                    notice = widget;
            }
            return notice != nullptr;
        },
        5s);
    return notice ? notice->frameGeometry() : QRect();
}

// The area of the tool tip over the icon in its error look, once it is
// shown as a pointer resting on the icon shows it.
QRect ShowTrouble(vexo::MainWindow& window)
{
    vexo::MainWindowControls& c = window.controls();
    window.showMinimized();
    vexo::test::WaitUntil([&] { return !window.isVisible(); }, 5s);
    window.views().tray.showTrouble("[!] Ошибка соединения");
    // The window's leaving ends in a deactivation, which would hide the tip.
    vexo::test::WaitUntil([] { return false; }, 500ms);
    const QRect icon = c.trayIcon->geometry();
    QToolTip::showText(icon.bottomLeft() + QPoint(0, 4), c.trayIcon->toolTip(), nullptr, QRect(), 60000);
    QWidget* tip = nullptr;
    vexo::test::WaitUntil(
        [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->inherits("QTipLabel") && widget->isVisible())
                    tip = widget;
            }
            return tip != nullptr;
        },
        5s);
    return tip ? tip->frameGeometry() : QRect();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool menu = argc == 3 && std::strcmp(argv[1], "menu") == 0;
    const bool notice = argc == 3 && std::strcmp(argv[1], "notice") == 0;
    const bool trouble = argc == 3 && std::strcmp(argv[1], "trouble") == 0;
    if (!menu && !notice && !trouble) {
        std::fprintf(stderr, "usage: tray_screenshot menu|notice|trouble OUTPUT.png\n");
        return 2;
    }
    vexo::test::TrayHost tray;
    if (!tray.up()) {
        std::fprintf(stderr, "no tray: install trayer and run under xvfb-run\n");
        return 1;
    }

    // A program folder of its own, so no settings file of the user is touched.
    QTemporaryDir programFolder;
    vexo::MainWindow window((programFolder.path() + QStringLiteral("/vexorama")).toStdString(), {});
    vexo::MainWindowControls& c = window.controls();
    window.showCentred();
    if (!vexo::test::WaitUntil([&] { return vexo::test::TrayHost::Placed(c.trayIcon->geometry()); }, 10s)) {
        std::fprintf(stderr, "the tray did not take the icon\n");
        return 1;
    }

    const QRect shown = menu ? OpenMenu(c) : notice ? AnnounceArrivals(window) : ShowTrouble(window);
    if (shown.isEmpty()) {
        std::fprintf(stderr, "nothing was shown\n");
        return 1;
    }
    vexo::test::WaitUntil([] { return false; }, 500ms);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = c.trayIcon->geometry().united(shown).adjusted(-24, -24, 24, 24).intersected(screen->geometry());
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    return shot.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
