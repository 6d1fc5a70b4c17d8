// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/command_line.h"
#include "base/pacing.h"
#include "base/program_version.h"
#include "base/settings_store.h"
#include "base/working_folder.h"

#include <memory>
#include <string>
#include <utility>

namespace vexo {

// The state the whole main window shares for the run. What the start-up
// settles (the program's places, the command line, the settings file, the
// caption, the pacing) is set through its own operation and only read
// afterwards; the working folder moves by its own rules.
class Session {
public:
    // `programFolder` is the executable's folder, with a trailing "/".
    // `defaultFolder` is where files go when no working folder is set or
    // the set one is gone: the program's folder in a build tree or portable
    // folder, the user's download folder + "/Vexorama/" for an installed
    // copy; empty means the program's folder.
    void setProgramPlaces(std::string executablePath, std::string programFolder, std::string defaultFolder);
    const std::string& executablePath() const { return executablePath_; }
    const std::string& programFolder() const { return programFolder_; }
    const std::string& defaultFolder() const { return defaultFolder_; }

    void setCommandLine(CommandLine commandLine) { commandLine_ = std::move(commandLine); }
    const CommandLine& commandLine() const { return commandLine_; }

    // Opens the settings file for the run; settings() may be used from then on.
    SettingsStore& openSettings(const std::string& path);
    // False until the start-up has opened the settings (a start that
    // failed before may leave them closed).
    bool hasSettings() const { return settings_ != nullptr; }
    SettingsStore& settings() { return *settings_; }
    const SettingsStore& settings() const { return *settings_; }

    // The window's caption, set once at start-up.
    void setCaption(std::string caption) { caption_ = std::move(caption); }
    const std::string& caption() const { return caption_; }

    WorkingFolder& workingFolder() { return workingFolder_; }
    const WorkingFolder& workingFolder() const { return workingFolder_; }

    // `Update`, read from the settings at start-up.
    void setUpdate(Pacing update) { update_ = update; }
    const Pacing& update() const { return update_; }

private:
    std::string executablePath_;
    std::string programFolder_;
    std::string defaultFolder_;
    CommandLine commandLine_;
    std::unique_ptr<SettingsStore> settings_;
    std::string caption_;
    WorkingFolder workingFolder_;
    Pacing update_{100};
};

// The window caption, set once at start-up.
inline constexpr const char* kMainCaption = "Vexorama " VEXO_VERSION "  PreRelease";

} // namespace vexo
