// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/command_line.h"
#include "base/decoder_options.h"
#include "base/pacing.h"
#include "base/program_version.h"
#include "base/settings_store.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vexo {

// The state the whole main window shares for the run.
struct Session {
    std::string executablePath;
    std::string programFolder; // the executable's folder, with a trailing "/"
    // Where files go when no working folder is set or the set one is gone:
    // the program's folder in a build tree or portable folder, the user's
    // download folder + "/Vexorama/" for an installed copy.
    std::string defaultFolder;
    CommandLine commandLine;
    std::unique_ptr<SettingsStore> settings; // opened by the start-up
    std::string caption;                     // the window's caption, set once at start-up
    std::string workingFolder;               // `WorkingFolder`: where files are decoded, joined and fetched
    DecoderOptions decoderOptions;
    Pacing update{100}; // `Update`
};

// The window caption, set once at start-up.
inline constexpr const char* kMainCaption = "Vexorama " VEXO_VERSION "  PreRelease";

} // namespace vexo
