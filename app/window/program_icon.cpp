#include "program_icon.h"

namespace vexo {

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 96, 128, 256})
        icon.addFile(QStringLiteral(":/icons/vexorama-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace vexo
