// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;

namespace vexo {

class TrayIcon;

// A notice from the program in the tray: through the desktop's notification
// service where it has one, otherwise a balloon beside the tray icon, if
// the icon is in a tray. `text` is plain text.
void ShowTrayNotice(TrayIcon& icon, const QString& text);

} // namespace vexo
