// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vexo {

// What one start of the program is asked to do. The command line is read
// into it once, at start, and every part of the program asks it.
struct CommandLine {
    bool unattended = false;          // "/a": decode and join the working folder, then exit
    bool deleteAfterDecoding = false; // "/d": tick "Автоудаление" (kept for later starts)
    bool inTray = false;              // "--tray": start hidden in the tray, the automatic check on
    // The last argument that is none of those: the working folder to take.
    std::optional<std::string> folder;
};

// Reads the arguments (without the program name, and with Qt's own options
// taken out) into a CommandLine.
CommandLine ReadCommandLine(const std::vector<std::string>& args);

// The text for standard error when an unattended run ("/a") is given a
// FOLDER that is not an existing folder (a typing error, a disk not
// mounted): such a run works in no other folder and stores nothing, so the
// start ends at once. Nothing when the run may go on.
std::optional<std::string> UnattendedFolderError(const CommandLine& line);

} // namespace vexo
