// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline of the start-up benchmark: a bare Qt Widgets window with
// five tabs of the same captions and a status bar, ending at the first
// turn of its event loop after its first paint (with `--unpainted`, at the
// first turn).
#include "bench/end_after_first_paint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTabWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    auto* tabs = new QTabWidget(&window);
    for (const char* caption : {"Дешифратор", "Downloader", "Управление закачкой", "О программе", "Downloader"})
        tabs->addTab(new QLabel(QString::fromUtf8(caption)), QString::fromUtf8(caption));
    window.setCentralWidget(tabs);
    window.statusBar()->showMessage(QStringLiteral("ready"));
    window.resize(640, 500);
    window.show();
    new vexo::EndAtFirstTurnAfterPaint(window);
    return QApplication::exec();
}
