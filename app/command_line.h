// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vexo {

// The text that "--help" or "--version" asks for, to be printed before
// anything else starts; nothing when the arguments ask for neither. Every
// other argument keeps its meaning for the window.
std::optional<std::string> InformationAsked(const std::vector<std::string>& args);

} // namespace vexo
