// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/server_files.h"

#include <utility>

namespace vexo {

bool ServerFiles::add(ServerFile file)
{
    if (full())
        return false;
    entries_[static_cast<std::size_t>(count_)] = std::move(file);
    ++count_;
    return true;
}

} // namespace vexo
