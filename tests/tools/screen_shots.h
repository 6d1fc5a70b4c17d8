// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the screenshot tools share: letting the window system catch up, and
// saving a part of the screen.
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QString>

namespace vexo::tools {

// Runs the event loop for `milliseconds`: windows get framed and placed,
// pages load.
inline void Wait(int milliseconds)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

// Saves what the screen shows in `wanted` (clipped to the screen) as a PNG.
inline bool SaveScreen(const QRect& wanted, const char* output)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = wanted.intersected(screen->geometry());
    return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(QString::fromLocal8Bit(output));
}

} // namespace vexo::tools
