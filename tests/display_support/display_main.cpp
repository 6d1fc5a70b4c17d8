// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/display_support/display_test.h"

#include <QApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

// Tests of the real window system: they need an X display (xvfb-run), or a
// Wayland compositor they are sent to, and skip without one. Like the
// program, they start without shared OpenGL contexts, so the web engine
// comes up as it does there.
int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM") != "wayland")
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

namespace vexo::test {

bool HasRealDisplay()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool OnWayland()
{
    return QGuiApplication::platformName() == QLatin1String("wayland");
}

} // namespace vexo::test
