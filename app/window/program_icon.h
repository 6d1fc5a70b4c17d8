#pragma once

#include <QIcon>

namespace vexo {

// The program's icon, built into the executable at every size it is drawn in.
QIcon ProgramIcon();

} // namespace vexo
