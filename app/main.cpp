// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application_setup.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/stop_signals.h"

#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Answered before any window or setting is touched.
    if (const auto information = vexo::InformationAsked({argv + 1, argv + argc})) {
        std::fputs(information->c_str(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    vexo::SetUpApplication(app);

    // Qt has taken its own options out of argv by now.
    std::vector<std::string> args(argv + 1, argv + argc);
    vexo::MainWindow window(QCoreApplication::applicationFilePath().toStdString(), std::move(args));
    new vexo::StopSignals(window);
    window.showCentred();
    const int status = QApplication::exec();
    return status == 0 && window.unattendedRunFailed() ? 1 : status;
}
