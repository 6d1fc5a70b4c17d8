// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/command_line.h"

#include "base/file_system.h"
#include "base/terminal_text.h"

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

std::optional<std::string> UnattendedFolderError(const CommandLine& line)
{
    if (!line.unattended || !line.folder || FolderExists(*line.folder))
        return std::nullopt;
    return "vexorama: /a: нет папки " + TerminalText(*line.folder) + ", ничего не сделано\n";
}

} // namespace vexo
