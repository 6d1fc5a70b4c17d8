// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application_setup.h"

#include "app/qt_translations.h"

#include <QApplication>

namespace vexo {

void SetUpApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("Vexorama"));
    QApplication::setApplicationVersion(QStringLiteral(VEXO_VERSION));
    // Matches the installed .desktop entry, so that desktops group the window under it.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vexorama.Vexorama"));
    UseRussianQtTexts(app);
}

} // namespace vexo
