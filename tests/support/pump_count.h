// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <functional>
#include <optional>

namespace vexo::test {

// The pumps of a wait, counted, so that a test ties what happens to them
// instead of to the clock: a peer that goes on only once the client has
// pumped, a window closed at the n-th pump. The count may be read from a
// peer's thread.
class PumpCount {
public:
    void pumped() { ++count_; }
    int count() const { return count_; }

    // For a scripted peer (ScriptedReply::goOn): true once the pump has run
    // `pumps` times since the peer first asked or last went on. A peer that
    // waits on it goes on only while the client pumps as it waits for it.
    std::function<bool()> gate(int pumps)
    {
        return [this, pumps, since = std::optional<int>()]() mutable {
            const int now = count_;
            if (!since)
                since = now;
            if (now - *since < pumps)
                return false;
            since = now;
            return true;
        };
    }

private:
    std::atomic<int> count_{0};
};

} // namespace vexo::test
