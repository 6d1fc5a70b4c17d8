// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/write_behind.h"

#include "base/file_io.h"

namespace vexo {

void WriteBehind::wrote(PosixFile& file, std::size_t bytes)
{
    pending_ += bytes;
    if (pending_ < kStep)
        return;
    file.startWriteBack();
    pending_ = 0;
}

} // namespace vexo
