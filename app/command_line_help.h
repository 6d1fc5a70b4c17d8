// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vexo {

// The text that "--help" ("-h") or "--version" asks for, to be printed
// before anything else starts; nothing when the arguments ask for neither.
// Every other argument keeps its meaning for the window.
std::optional<std::string> InformationAsked(const std::vector<std::string>& args);

// The text for standard error when an argument looks like an option the
// program does not know (a word starting with "-"): it names the argument
// and gives the usage line. Nothing when every argument is known. To be
// asked once Qt has taken its own options out of the command line, and
// before any window or setting is touched.
std::optional<std::string> UsageError(const std::vector<std::string>& args);

} // namespace vexo
