// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application_setup.h"

#include "app/qt_translations.h"
#include "base/program_version.h"

#include <QApplication>

#include <cstdlib>
#include <optional>
#include <string>

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

namespace {

// Neither X nor Wayland, and no platform chosen: cron, ssh, a service.
bool NoDisplayAtAll()
{
    const auto unset = [](const char* name) {
        const char* value = std::getenv(name);
        return value == nullptr || *value == '\0';
    };
    return unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM");
}

} // namespace

void RunOffscreenWithoutDisplay()
{
    if (NoDisplayAtAll())
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

std::optional<std::string> NoDisplayError()
{
    if (!NoDisplayAtAll())
        return std::nullopt;
    return std::string("vexorama: нет дисплея: окну нужен X (DISPLAY) или Wayland (WAYLAND_DISPLAY); "
                       "без окна папку обрабатывает «vexorama /a ПАПКА»\n");
}

} // namespace vexo
