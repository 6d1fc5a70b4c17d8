// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the main window under a desktop's look, for the docs:
//   window_look_screenshot font11 OUTPUT.png  the decoder tab at an 11 pt desktop font
//   window_look_screenshot dark OUTPUT.png    the "О программе" tab with a dark palette
//   window_look_screenshot show SECONDS       the window alone, for SECONDS (a Wayland
//                                             client, pictured from outside)
//   window_look_screenshot screen OUTPUT.png  the whole screen
// The first two take the window with its frame: run them on an X display
// with a window manager.
#include "app/main_window.h"
#include "app/main_window_controls.h"
#include "tests/support/scoped_app_look.h"
#include "tests/tools/screen_shots.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_look_screenshot font11|dark|show|screen OUTPUT.png|SECONDS\n");
        return 2;
    }
    const char* mode = argv[1];
    if (std::strcmp(mode, "screen") == 0)
        return vexo::tools::SaveScreen(QGuiApplication::primaryScreen()->geometry(), argv[2]) ? 0 : 1;

    vexo::test::ScopedAppLook look;
    if (std::strcmp(mode, "font11") == 0) {
        look.setPointSize(11);
    } else if (std::strcmp(mode, "dark") == 0) {
        // Fusion draws with the palette, as a desktop's dark theme does.
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        look.setPalette(vexo::test::DarkDesktopPalette());
    }
    // A program folder of its own, so no settings file of the user is touched.
    QTemporaryDir programFolder;
    vexo::MainWindow window((programFolder.path() + QStringLiteral("/vexorama")).toStdString(), {});
    if (std::strcmp(mode, "dark") == 0)
        window.controls().tabs->setCurrentWidget(window.controls().newsTab);
    window.showCentred();
    if (std::strcmp(mode, "show") == 0) {
        vexo::tools::Wait(std::atoi(argv[2]) * 1000);
        return 0;
    }
    // Let the window manager frame and place the window.
    vexo::tools::Wait(1500);
    return vexo::tools::SaveScreen(window.frameGeometry().adjusted(-8, -8, 8, 8), argv[2]) ? 0 : 1;
}
