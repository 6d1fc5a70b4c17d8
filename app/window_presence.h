// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace vexo {

// Whether the window is before the user's eyes: shown, not minimised and
// active. Where minimising goes unseen, losing the activation is what is
// left to tell it by.
bool WindowInSight(const QWidget& window);

// Whether the window system keeps a window's minimising from the program:
// a Wayland compositor hides the window and tells its client nothing.
bool MinimisingUnseen();

} // namespace vexo
