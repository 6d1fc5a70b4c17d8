// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace vexo {

struct MainWindowControls;

// Each builds one tab page of the main window with its controls, captions,
// hints and initial states, and records the controls in `controls`.
QWidget* BuildDecoderTab(MainWindowControls& controls);
QWidget* BuildDownloaderTab(MainWindowControls& controls);
QWidget* BuildUploadTab(MainWindowControls& controls);
QWidget* BuildNewsTab(MainWindowControls& controls);
QWidget* BuildUrlTab(MainWindowControls& controls);

// The list's context menu, and the tray icon with its menu.
void BuildMenus(MainWindowControls& controls, QWidget* window);

} // namespace vexo
