// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace vexo {

// The web pages' module, beside the executable in a build tree or a
// portable folder.
inline constexpr const char* kWebModuleFileName = "vexorama_web.so";

// The program's own files: the executable, its web-page module and its
// settings file. When the working folder is the program's folder, a file
// written for the user (a download, a decoded or joined file) must never
// create or replace one of them: a server's file named like the executable
// would run at the next start. Set once at start-up.
void SetProgramFiles(const std::vector<std::string>& paths);

// Whether `path` names one of them: the same folder (links followed) and
// the same name, without regard to ASCII case, as a disk that folds case
// would see it.
bool IsProgramFile(const std::string& path);

} // namespace vexo
