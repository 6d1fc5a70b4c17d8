// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/session.h"

#include <utility>

namespace vexo {

void Session::setProgramPlaces(std::string executablePath, std::string programFolder, std::string defaultFolder)
{
    executablePath_ = std::move(executablePath);
    programFolder_ = std::move(programFolder);
    defaultFolder_ = defaultFolder.empty() ? programFolder_ : std::move(defaultFolder);
}

SettingsStore& Session::openSettings(const std::string& path)
{
    settings_ = std::make_unique<SettingsStore>(path);
    return *settings_;
}

} // namespace vexo
