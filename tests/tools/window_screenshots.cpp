// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of each tab of the main window, as a user would see it,
// one PNG per tab plus all of them side by side:
//   window_screenshots OUTPUT_FOLDER
// Run it under a real display (xvfb-run) so that fonts are those of a desktop,
// with the substitute service running so that the web pages have content.
#include "app/main_window.h"
#include "app/main_window_controls.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);

    // A program folder of its own, so no settings file of the user is touched,
    // with the server settings the run command writes for the local service.
    QTemporaryDir programFolder;
    QFile settings(programFolder.path() + QStringLiteral("/vexorama.INI"));
    if (!settings.open(QIODevice::WriteOnly) || settings.write("[Server]\nName=127.0.0.1:8080\nPort=6677\n") < 0)
        return 1;
    settings.close();
    vexo::MainWindow window((programFolder.path() + QStringLiteral("/vexorama")).toStdString(), {});
    window.showCentred();
    QTabWidget* tabs = window.controls().tabs;
    tabs->setTabVisible(tabs->indexOf(window.controls().urlTab), true);

    std::vector<QPixmap> shots;
    for (int index = 0; index < tabs->count(); ++index) {
        tabs->setCurrentIndex(index);
        // Web pages load in the background; give them time to appear.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 2500)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        shots.push_back(window.grab());
        shots.back().save(QStringLiteral("%1/tab%2.png").arg(output).arg(index + 1));
    }

    // All tabs in one picture, two columns.
    const QSize cell = shots.front().size();
    QPixmap sheet(cell.width() * 2, cell.height() * static_cast<int>((shots.size() + 1) / 2));
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (std::size_t i = 0; i < shots.size(); ++i)
        painter.drawPixmap(static_cast<int>(i % 2) * cell.width(), static_cast<int>(i / 2) * cell.height(), shots[i]);
    painter.end();
    return sheet.save(output + QStringLiteral("/window.png")) ? 0 : 1;
}
