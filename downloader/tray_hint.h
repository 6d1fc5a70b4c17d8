// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace vexo {

class TrayView;

// The tray icon's hint: the caption, a line feed, and the number of files
// fetched from the server since start-up; while a download runs, its line
// (`downloadLine`) after those two; a line more for the files that wait to
// be tried again, when there are any.
std::string TrayHintText(const std::string& caption, std::int32_t downloaded, int waitingRetries = 0,
                         const std::string& downloadLine = "");
void UpdateTrayHint(const std::string& caption, std::int32_t downloaded, TrayView& tray, int waitingRetries = 0);

} // namespace vexo
