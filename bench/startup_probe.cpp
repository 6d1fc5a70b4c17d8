// SPDX-License-Identifier: GPL-3.0-or-later
// Starts Vexorama's main window exactly as the program does and quits at
// the first turn of the event loop that finds nothing left to do.
#include "app/main_window.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexorama"));

    // A fresh program folder: a first start, with no settings file.
    QTemporaryDir programFolder;
    vexo::MainWindow window((programFolder.path() + "/vexorama").toStdString(), {});
    window.showCentred();
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &app,
                     &QCoreApplication::quit);
    return QApplication::exec();
}
