// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/main_window_controls.h"

class QMainWindow;

namespace vexo {

// Builds every widget, menu and timer of the main window inside `window`,
// with their captions, hints and initial states, and names them. Nothing
// is bound yet.
MainWindowControls BuildMainWindow(QMainWindow& window);

} // namespace vexo
