// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-encode: wraps a plain file into an encoded container, for test data
// and demos.

#include "base/cp1251.h"
#include "base/int_text.h"
#include "base/program_version.h"
#include "decoder/container_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: vexo-encode [--key N] [--leading N] [--name STORED_NAME] PLAIN_FILE CONTAINER_FILE\n"
    "\n"
    "Writes CONTAINER_FILE (which must not exist yet): leading bytes, the content\n"
    "of PLAIN_FILE exclusive-or'ed with a one-byte key, and the 262-byte trailer\n"
    "that names the plain file. Every container is at least 35,200 bytes long,\n"
    "the smallest that Vexorama's folder scan takes: a small plain file gets as\n"
    "many more leading bytes as that needs.\n"
    "\n"
    "  --key N           the key, 0 to 255 (default: random)\n"
    "  --leading N       number of random leading bytes (default: random, 0 to 4096),\n"
    "                    raised where the container would be under 35,200 bytes\n"
    "  --name NAME       stored name, UTF-8, written in Windows-1251\n"
    "                    (default: the name of PLAIN_FILE)\n"
    "  --version         show the version and stop\n"
    "  --help            show this text\n";

constexpr int kMaxDefaultLeading = 4096;

class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct EncodeOptions {
    std::optional<int> key;
    std::optional<std::int32_t> leading;
    std::optional<std::string> name;
    std::string plainPath;
    std::string containerPath;
};

std::int32_t ParseNumber(std::string_view option, std::string_view text, std::int32_t lowest, std::int32_t highest)
{
    const std::optional<std::int64_t> value = vexo::ParseDecimal(text, lowest, highest);
    if (!value)
        throw UsageError(std::string(option) + " needs a number from " + std::to_string(lowest) + " to "
                         + std::to_string(highest) + ", not \"" + std::string(text) + "\"");
    return static_cast<std::int32_t>(*value);
}

// What a command line asks for: a container, or a text.
struct EncodeCommand {
    enum class Kind { Encode, ShowHelp, ShowVersion };
    Kind kind = Kind::Encode;
    EncodeOptions options; // for Kind::Encode
};

EncodeCommand ParseArguments(int argc, char** argv)
{
    EncodeCommand command;
    EncodeOptions& options = command.options;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "--version") {
            command.kind = arg == "--help" ? EncodeCommand::Kind::ShowHelp : EncodeCommand::Kind::ShowVersion;
            return command;
        }
        const bool takesValue = arg == "--key" || arg == "--leading" || arg == "--name";
        if (takesValue && i + 1 >= argc)
            throw UsageError(std::string(arg) + " needs a value");
        if (arg == "--key")
            options.key = ParseNumber(arg, argv[++i], 0, 255);
        else if (arg == "--leading")
            options.leading = ParseNumber(arg, argv[++i], 0, INT32_MAX);
        else if (arg == "--name")
            options.name = argv[++i];
        else if (arg.starts_with("--"))
            throw UsageError("unknown option " + std::string(arg));
        else
            files.emplace_back(arg);
    }
    if (files.size() != 2)
        throw UsageError("expected PLAIN_FILE and CONTAINER_FILE");
    options.plainPath = files[0];
    options.containerPath = files[1];
    return command;
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Run(const EncodeOptions& options)
{
    std::random_device seed;
    std::mt19937 random(seed());
    const auto key =
        static_cast<std::uint8_t>(options.key.value_or(std::uniform_int_distribution<int>(0, 255)(random)));
    // A plain file that cannot be read is reported by WriteContainer.
    std::error_code unreadable;
    const auto plainSize = static_cast<std::int64_t>(std::filesystem::file_size(options.plainPath, unreadable));
    const std::int32_t leadingCount =
        std::max(options.leading.value_or(std::uniform_int_distribution<std::int32_t>(0, kMaxDefaultLeading)(random)),
                 static_cast<std::int32_t>(vexo::LeadingBytesToReachMinimum(unreadable ? 0 : plainSize)));
    std::string leading(static_cast<std::size_t>(leadingCount), '\0');
    std::uniform_int_distribution<int> byte(0, 255);
    for (char& c : leading)
        c = static_cast<char>(byte(random));

    const std::string name = options.name.value_or(BaseName(options.plainPath));
    const std::string storedName = vexo::Utf8ToCp1251(name);
    if (vexo::Cp1251ToUtf8(storedName) != name)
        throw std::runtime_error("the name \"" + name + "\" cannot be written in Windows-1251");
    if (storedName.size() < 3 || storedName.size() > 128)
        std::cerr << "vexo-encode: warning: a stored name of " << storedName.size()
                  << " bytes is outside 3..128; decoders will not take the file for an encoded one\n";

    vexo::WriteContainer(options.plainPath, options.containerPath, key, leading, storedName);
    std::cout << options.containerPath << ": key " << int(key) << ", " << leadingCount
              << " leading bytes, stored name \"" << name << "\"\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const EncodeCommand command = ParseArguments(argc, argv);
        switch (command.kind) {
        case EncodeCommand::Kind::ShowHelp: std::cout << kUsage; return 0;
        case EncodeCommand::Kind::ShowVersion: std::cout << "vexo-encode " VEXO_VERSION "\n"; return 0;
        case EncodeCommand::Kind::Encode: break;
        }
        return Run(command.options);
    } catch (const UsageError& error) {
        std::cerr << "vexo-encode: " << error.what() << "\nTry 'vexo-encode --help'.\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "vexo-encode: " << error.what() << "\n";
        return 1;
    }
}
