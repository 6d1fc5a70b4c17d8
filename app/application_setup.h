// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

class QApplication;

namespace vexo {

// What the program sets on its application before the main window is made:
// its names, the desktop entry it belongs to, Qt's own texts in Russian.
void SetUpApplication(QApplication& app);
// Its names alone: the application's name "Vexorama", its version, and the
// desktop entry it belongs to.
void NameApplication();

// An unattended run needs no screen: with no display at all (neither X nor
// Wayland, and no platform chosen) it runs on Qt's offscreen platform
// instead of aborting. To be called before the application is made.
void RunOffscreenWithoutDisplay();

// The window cannot open without a display, and Qt would abort: the text
// for standard error then, which points to the unattended run. Nothing
// while there is a display (or a platform chosen).
std::optional<std::string> NoDisplayError();

} // namespace vexo
