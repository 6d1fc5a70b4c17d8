// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace vexo {

// Whether the window is before the user's eyes: shown, not minimised and
// active. Where minimising goes unseen, losing the activation is what is
// left to tell it by.
bool WindowInSight(const QWidget& window);

// Whether the program is a Wayland client. A Wayland compositor keeps a
// window's minimising from the program: it hides the window and tells its
// client nothing. And its only tray is the one on the session bus.
bool OnWayland();

} // namespace vexo
