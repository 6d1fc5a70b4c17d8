// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application_setup.h"

#include "app/qt_translations.h"

#include <QApplication>

#include <cstdlib>

namespace vexo {

void SetUpApplication(QApplication& app)
{
    // Named after the installed .desktop entry, as the window's class on X11
    // (WM_CLASS) and its app id on Wayland, so that docks and task bars
    // group the window under its launcher; people read "Vexorama".
    QApplication::setApplicationName(QStringLiteral("io.github.vexorama.Vexorama"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vexorama"));
    QApplication::setApplicationVersion(QStringLiteral(VEXO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vexorama.Vexorama"));
    UseRussianQtTexts(app);
}

void RunOffscreenWithoutDisplay()
{
    const auto unset = [](const char* name) {
        const char* value = std::getenv(name);
        return value == nullptr || *value == '\0';
    };
    if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

} // namespace vexo
