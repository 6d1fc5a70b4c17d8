// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

class TrayView;
struct Session;

// The tray icon's hint: the caption, a line feed, and the number of files
// fetched from the server since start-up.
void UpdateTrayHint(const Session& session, TrayView& tray);

} // namespace vexo
