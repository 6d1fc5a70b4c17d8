// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QApplication;

namespace vexo {

// What the program sets on its application before the main window is made:
// its names, the desktop entry it belongs to, Qt's own texts in Russian.
void SetUpApplication(QApplication& app);

} // namespace vexo
