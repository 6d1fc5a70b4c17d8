// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application_setup.h"

#include "app/qt_translations.h"

#include <QApplication>

#include <cstdlib>

namespace vexo {

void SetUpApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("Vexorama"));
    QApplication::setApplicationVersion(QStringLiteral(VEXO_VERSION));
    // Matches the installed .desktop entry, so that desktops group the window under it.
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
