// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>

class QWidget;

namespace vexo {

// Runs `work` once, at the turn of the event loop after `window` was first
// painted: what the first frame does not need waits until it is on the
// screen. A window that is not painted within `latest` of this call (shown
// minimised, a window manager that maps it late) gets `work` done then.
// Nothing runs once `window` is gone.
void RunAfterFirstPaint(QWidget& window, std::function<void()> work,
                        std::chrono::milliseconds latest = std::chrono::seconds(1));

} // namespace vexo
