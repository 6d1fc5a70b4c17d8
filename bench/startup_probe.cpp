// SPDX-License-Identifier: GPL-3.0-or-later
// Starts Vexorama's main window exactly as the program does and ends at
// the first turn of the event loop after the window's first paint:
//   startup_probe          a first start: no settings file yet
//   startup_probe --usual  a usual start: the settings a first start leaves
// With `--unpainted` as well, it ends at the first turn of the loop.
#include "app/application_setup.h"
#include "app/main_window.h"
#include "bench/end_after_first_paint.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    vexo::SetUpApplication(app);

    QTemporaryDir programFolder;
    if (QCoreApplication::arguments().contains(QStringLiteral("--usual"))) {
        QFile settings(programFolder.path() + QStringLiteral("/vexorama.INI"));
        const QByteArray text = "[Prog]\nFolder=" + programFolder.path().toUtf8() + "/\nWidth=640\nHeight=500\n";
        if (!settings.open(QIODevice::WriteOnly) || settings.write(text) != text.size())
            return 1;
    }
    vexo::MainWindow window((programFolder.path() + QStringLiteral("/vexorama")).toStdString(), {});
    window.showCentred();
    new vexo::EndAtFirstTurnAfterPaint(window, [&programFolder] { programFolder.remove(); });
    return QApplication::exec();
}
