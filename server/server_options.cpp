// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/server_options.h"

#include "base/int_text.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace vexo::server {

const char* const kServerUsage =
    "Usage: vexo-server --folder DIR [options]\n"
    "\n"
    "Serves one account of the Vexo service: its waiting files are the regular\n"
    "files of DIR. Listing over TCP, downloads, removal and the web pages over HTTP.\n"
    "\n"
    "  --folder DIR            the account's folder (required)\n"
    "  --bind ADDR             address to listen on (default 127.0.0.1)\n"
    "  --tcp-port N            port of the listing (default 6677, 0: any free port)\n"
    "  --http-port N           port of the web site (default 8080, 0: any free port)\n"
    "  --login L               the account's login (default test)\n"
    "  --password P            the account's password (default demo)\n"
    "  --public-host HOST[:PORT]\n"
    "                          host put into the download addresses\n"
    "                          (default: the bind address and the HTTP port)\n"
    "  --wrap GLOB             hand out files matching GLOB (any case) as encoded\n"
    "                          containers; may be repeated. A small file gets as many\n"
    "                          leading bytes as bring its container to 35,200 bytes,\n"
    "                          the smallest that Vexorama's folder scan takes\n"
    "  --seed N                derive keys and leading bytes of encoded files from N\n"
    "                          (reproducible runs)\n"
    "  --demo                  fill an empty (or missing) DIR with demo files first,\n"
    "                          and wrap *.bmp; a folder that holds anything is left as it is\n"
    "  --version               show the version and stop\n"
    "  --help                  show this text\n"
    "\n"
    "Login and password are taken as UTF-8 and compared with the Windows-1251\n"
    "request line after conversion. The login cannot hold \":\", the password can.\n";

namespace {

UsageError NotANumber(const std::string& option, const std::string& text, std::uint64_t highest)
{
    return UsageError(option + " needs a number from 0 to " + std::to_string(highest) + ", not \"" + text + "\"");
}

int ParsePort(const std::string& option, const std::string& text)
{
    const std::optional<std::int64_t> port = ParseDecimal(text, 0, 65535);
    if (!port)
        throw NotANumber(option, text, 65535);
    return static_cast<int>(*port);
}

std::uint64_t ParseSeed(const std::string& option, const std::string& text)
{
    const std::optional<std::uint64_t> seed = ParseUnsignedDecimal(text);
    if (!seed)
        throw NotANumber(option, text, UINT64_MAX);
    return *seed;
}

} // namespace

ServerCommand ParseServerCommand(const std::vector<std::string>& args)
{
    ServerCommand command;
    ServerOptions& options = command.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('='); name.starts_with("--") && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        const auto value = [&]() -> std::string {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= args.size())
                throw UsageError(name + " needs a value");
            return args[++i];
        };
        const auto noValue = [&] {
            if (inlineValue)
                throw UsageError(name + " takes no value");
        };

        if (name == "--help" || name == "--version") {
            noValue();
            command.kind = name == "--help" ? ServerCommand::Kind::ShowHelp : ServerCommand::Kind::ShowVersion;
            return command;
        } else if (name == "--demo") {
            noValue();
            options.demo = true;
        } else if (name == "--folder") {
            options.folder = value();
        } else if (name == "--bind") {
            options.bindAddress = value();
        } else if (name == "--tcp-port") {
            options.tcpPort = ParsePort(name, value());
        } else if (name == "--http-port") {
            options.httpPort = ParsePort(name, value());
        } else if (name == "--login") {
            options.login = value();
            if (options.login.find(':') != std::string::npos)
                throw UsageError("--login cannot hold \":\"");
        } else if (name == "--password") {
            options.password = value();
        } else if (name == "--public-host") {
            options.publicHost = value();
        } else if (name == "--wrap") {
            options.wrapGlobs.push_back(value());
        } else if (name == "--seed") {
            options.seed = ParseSeed(name, value());
        } else if (!name.starts_with("--")) {
            throw UsageError("unexpected argument \"" + name + "\"");
        } else {
            throw UsageError("unknown option \"" + name + "\"");
        }
    }
    if (options.folder.empty())
        throw UsageError("--folder DIR is required");
    if (options.bindAddress.empty())
        throw UsageError("--bind needs an address");
    if (options.publicHost.find_first_of("/ \r\n") != std::string::npos)
        throw UsageError("--public-host takes HOST or HOST:PORT, not \"" + options.publicHost + "\"");
    return command;
}

std::optional<ServerOptions> ParseServerOptions(const std::vector<std::string>& args)
{
    ServerCommand command = ParseServerCommand(args);
    if (command.kind != ServerCommand::Kind::Serve)
        return std::nullopt;
    return std::move(command.options);
}

} // namespace vexo::server
