// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <set>
#include <string>

namespace vexo {

// The removals loaded in the hidden removal page (mode 2), by address, and
// those whose page did not load: their files are still on the server, and a
// later check that lists one queues its removal again.
class BackgroundRemovals {
public:
    // The page was asked to load `address`, the removal of `removeRef`.
    void started(const std::string& address, const std::string& removeRef);
    // The page finished loading `address`. Returns true for the first
    // failure of a file's removal in this run, which the user is told of.
    bool finished(const std::string& address, bool loaded);
    // Whether the removal of `removeRef` failed and waits to be queued again.
    bool failed(const std::string& removeRef) const { return failed_.contains(removeRef); }
    // Takes a failed removal for its new attempt; false when it was none.
    bool takeFailed(const std::string& removeRef) { return failed_.erase(removeRef) != 0; }

private:
    std::map<std::string, std::string> loading_; // address -> removal reference
    std::set<std::string> failed_;
    std::set<std::string> told_;
};

} // namespace vexo
