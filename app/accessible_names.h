// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

struct MainWindowControls;
struct ServerSettingsControls;

// What screen readers call the inputs, lists, tables and bars that have no
// caption of their own: the words of their label or of their hint.
void NameForScreenReaders(MainWindowControls& c);
void NameForScreenReaders(ServerSettingsControls& c);

} // namespace vexo
