// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QTabWidget;
class QWidget;

namespace vexo {

// The index of the tab `step` places after (or, negative, before) the
// current one, going round the ends and over the tabs that are hidden or
// disabled; the current index when no other tab can be shown.
int NeighbourTab(const QTabWidget& tabs, int step);

// Ctrl+Tab and Ctrl+PageDown show the next tab of `tabs`, Ctrl+Shift+Tab
// and Ctrl+PageUp the previous one, wherever the focus is in `window`.
void BindTabSwitchKeys(QTabWidget* tabs, QWidget* window);

} // namespace vexo
