// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

namespace vexo {

// The program's icon, built into the executable at every size it is drawn
// in; each picture is read when it is first drawn.
QIcon ProgramIcon();

// `icon` in its error look: a red badge with an exclamation mark over its
// lower right corner, at every size it is drawn in.
QIcon TroubleIcon(const QIcon& icon);

} // namespace vexo
