// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

namespace vexo {

// Qt's own texts (the buttons of boxes, the file dialogs) in Russian, like
// the program's. Returns false, leaving them in English, when Qt's
// translations are not installed.
bool UseRussianQtTexts(QCoreApplication& app);

} // namespace vexo
