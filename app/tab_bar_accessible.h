// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QTabBar;

namespace vexo {

// Lets screen readers find the tabs that are shown and no others: Qt's own
// tab bar reports a hidden tab as if it were there. Installs once however
// often it is called.
void InstallTabBarAccessibility();

// Tells screen readers that `bar` shows a tab more or less.
void AnnounceTabsChanged(QTabBar* bar);

} // namespace vexo
