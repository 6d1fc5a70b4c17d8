// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application_setup.h"
#include "app/command_line_help.h"
#include "app/desktop_bus.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/stop_signals.h"
#include "app/window_presence.h"
#include "base/command_line.h"
#include "base/settings_store.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Answered before any window or setting is touched.
    if (const auto information = vexo::InformationAsked({argv + 1, argv + argc})) {
        std::fputs(information->c_str(), stdout);
        return 0;
    }
    // Where to show the window is settled before Qt starts, and so before it
    // takes its own options out; "/a" is none of those.
    if (vexo::ReadCommandLine({argv + 1, argv + argc}).unattended) {
        vexo::RunOffscreenWithoutDisplay();
    } else if (const auto error = vexo::NoDisplayError()) {
        std::fputs(error->c_str(), stderr);
        return 1;
    }

    QApplication app(argc, argv);
    // Qt has taken its own options out of argv by now.
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto error = vexo::UsageError(args)) {
        std::fputs(error->c_str(), stderr);
        return 2;
    }
    vexo::SetUpApplication(app);

    const vexo::CommandLine commandLine = vexo::ReadCommandLine(args);
    // "/a" works in the folder it was given, or nowhere.
    if (const auto error = vexo::UnattendedFolderError(commandLine)) {
        std::fputs(error->c_str(), stderr);
        return 2;
    }
    const std::string executablePath = QCoreApplication::applicationFilePath().toStdString();

    // One window per settings file. An unattended run works beside it; the
    // folder lock keeps the two apart.
    std::unique_ptr<vexo::SingleInstance> instance;
    if (!commandLine.unattended) {
        instance = std::make_unique<vexo::SingleInstance>(vexo::SettingsFilePath(executablePath));
        switch (instance->handOverOrListen(
            {commandLine.inTray, commandLine.folder.value_or(""), commandLine.deleteAfterDecoding})) {
        case vexo::SingleInstance::Outcome::HandedOver: return 0;
        case vexo::SingleInstance::Outcome::LockHeld:
            std::fputs("vexorama: другой запуск с этими настройками не завершился за 5 с\n", stderr);
            return 1;
        case vexo::SingleInstance::Outcome::NoAnswer:
            std::fputs("vexorama: программа уже запущена с этими настройками, но не отвечает\n", stderr);
            return 1;
        case vexo::SingleInstance::Outcome::Listening:
        case vexo::SingleInstance::Outcome::Alone: break;
        }
    }

    // On Wayland the tray on the session bus is the only one there can be:
    // a start at login gives the desktop's tray time to come up first.
    if (commandLine.inTray && vexo::OnWayland())
        vexo::WaitForStatusNotifierTray(std::chrono::seconds(20));

    vexo::MainWindow window(executablePath, commandLine);
    new vexo::StopSignals(window);
    if (instance) {
        instance->setRequestHandler([&window](const vexo::SingleInstance::Request& later) {
            window.answerLaterStart(later.folder, later.inTray, later.deleteAfterDecoding);
        });
    }
    if (commandLine.inTray)
        window.startInTray();
    else
        window.showCentred();
    const int status = QApplication::exec();
    return status == 0 && window.unattendedRunFailed() ? 1 : status;
}
