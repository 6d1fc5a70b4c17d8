// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/command_line.h"

namespace vexo {

CommandLine ReadCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    for (const std::string& arg : args) {
        if (arg == "/a")
            line.unattended = true;
        else if (arg == "/d")
            line.deleteAfterDecoding = true;
        else if (arg == "--tray")
            line.inTray = true;
        else
            line.folder = arg;
    }
    return line;
}

} // namespace vexo
