// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vexo::server {

struct ServerOptions {
    std::string bindAddress = "127.0.0.1";
    int tcpPort = 6677;  // 0: any free port
    int httpPort = 8080; // 0: any free port
    std::string folder;
    std::string login = "test";
    std::string password = "demo";
    // Host text of the addresses handed out; empty: the bind address and
    // the HTTP port.
    std::string publicHost;
    std::vector<std::string> wrapGlobs;
    std::optional<std::uint64_t> seed;
    bool demo = false;
};

// A command line that cannot be used; the text says why.
class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

extern const char* const kServerUsage;

// What a command line asks for: a server with its options, or a text.
struct ServerCommand {
    enum class Kind { Serve, ShowHelp, ShowVersion };
    Kind kind = Kind::Serve;
    ServerOptions options; // for Kind::Serve
};

// The command of a command line without the program name; the rest of
// the line after --help or --version is not read.
ServerCommand ParseServerCommand(const std::vector<std::string>& args);

// The options of a command line that asks for a server; nullopt when it
// asks for a text instead.
std::optional<ServerOptions> ParseServerOptions(const std::vector<std::string>& args);

} // namespace vexo::server
