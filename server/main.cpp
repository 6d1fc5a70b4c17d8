// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-server: a stand-in for the Vexo service's server, for demos and tests.

#include "base/program_version.h"
#include "server/server_options.h"
#include "server/vexo_server.h"

#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <pthread.h>

int main(int argc, char** argv)
{
    using namespace vexo::server;

    ServerCommand command;
    try {
        command = ParseServerCommand(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << "vexo-server: " << error.what() << "\nTry 'vexo-server --help'.\n";
        return 2;
    }
    if (command.kind == ServerCommand::Kind::ShowHelp) {
        std::cout << kServerUsage;
        return 0;
    }
    if (command.kind == ServerCommand::Kind::ShowVersion) {
        std::cout << "vexo-server " VEXO_VERSION "\n";
        return 0;
    }

    // The stop signals stay blocked in every thread, the server's threads
    // included; this thread takes them with sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        VexoServer server(std::move(command.options), std::cout);
        server.start();
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    } catch (const std::exception& error) {
        std::cerr << "vexo-server: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
