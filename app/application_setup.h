// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QApplication;

namespace vexo {

// What the program sets on its application before the main window is made:
// its names, the desktop entry it belongs to, Qt's own texts in Russian.
void SetUpApplication(QApplication& app);

// An unattended run needs no screen: with no display at all (neither X nor
// Wayland, and no platform chosen) it runs on Qt's offscreen platform
// instead of aborting. To be called before the application is made.
void RunOffscreenWithoutDisplay();

} // namespace vexo
