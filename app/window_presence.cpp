// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_presence.h"

#include <QGuiApplication>
#include <QWidget>

namespace vexo {

bool WindowInSight(const QWidget& window)
{
    return window.isVisible() && !window.isMinimized() && window.isActiveWindow();
}

bool OnWayland()
{
    // "wayland", "wayland-egl", "wayland-xcomposite-glx", ...
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace vexo
