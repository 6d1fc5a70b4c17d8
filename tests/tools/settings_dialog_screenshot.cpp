// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of the settings dialog open over the main window, frames
// and all, for the docs:
//   settings_dialog_screenshot OUTPUT.png
// Run it on an X display with a window manager; QT_SCALE_FACTOR=2 gives the
// picture at twice the size.
#include "app/main_window.h"
#include "app/main_window_controls.h"
#include "tests/tools/screen_shots.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_dialog_screenshot OUTPUT.png\n");
        return 2;
    }
    // A program folder of its own, so no settings file of the user is touched.
    QTemporaryDir programFolder;
    vexo::MainWindow window((programFolder.path() + QStringLiteral("/vexorama")).toStdString(), {});
    window.showCentred();
    vexo::tools::Wait(1000);
    window.controls().serverSettingsButton->click();
    // Let the window manager frame and place both windows.
    vexo::tools::Wait(1500);

    return vexo::tools::SaveScreen(window.frameGeometry().adjusted(-8, -8, 8, 8), argv[1]) ? 0 : 1;
}
