// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

class StatusBar;

// Lets screen readers read the status bar: the bar is one accessible
// status bar whose children are its panels, each named by its text.
// Installs once however often it is called.
void InstallStatusBarAccessibility();

// Tells screen readers that a panel's text has changed.
void AnnouncePanelText(StatusBar* bar, int panel);

} // namespace vexo
