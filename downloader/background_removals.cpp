// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/background_removals.h"

namespace vexo {

void BackgroundRemovals::started(const std::string& address, const std::string& removeRef)
{
    loading_[address] = removeRef;
}

bool BackgroundRemovals::finished(const std::string& address, bool loaded)
{
    const auto found = loading_.find(address);
    if (found == loading_.end())
        return false; // not a removal this run asked for
    const std::string removeRef = found->second;
    loading_.erase(found);
    if (loaded) {
        failed_.erase(removeRef);
        return false;
    }
    failed_.insert(removeRef);
    return told_.insert(removeRef).second;
}

} // namespace vexo
