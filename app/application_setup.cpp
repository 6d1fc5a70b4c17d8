// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application_setup.h"

#include "app/qt_translations.h"
#include "base/program_version.h"

#include <QApplication>

#include <cstdlib>
#include <optional>
#include <string>

namespace vexo {

void NameApplication()
{
    // The name people read: the tray's title, the screen reader's name of
    // the application, and the class of the window on X11 (WM_CLASS
    // "vexorama", "Vexorama"), which the desktop entry names as its
    // StartupWMClass. No display name is set: Qt would append it to every
    // window and box title.
    QApplication::setApplicationName(QStringLiteral("Vexorama"));
    QApplication::setApplicationVersion(QStringLiteral(VEXO_VERSION));
    // The installed .desktop entry: the window's app id on Wayland, so that
    // docks and task bars group the window under its launcher.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vexorama.Vexorama"));
}

void SetUpApplication(QApplication& app)
{
    NameApplication();
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
