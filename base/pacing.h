// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <limits>

namespace vexo {

// `Update`: how many blocks a long run works through between two message
// pumps. At least 1 by construction, so that the pacing remainder is always
// defined: the settings file may hold any integer, 0 is taken as 1 and a
// negative value acts as its absolute value.
class Pacing {
public:
    constexpr explicit Pacing(std::int32_t blocks) : blocks_(AtLeastOne(blocks)) {}
    constexpr std::int32_t blocks() const { return blocks_; }

private:
    static constexpr std::int32_t AtLeastOne(std::int32_t stored)
    {
        if (stored == 0)
            return 1;
        if (stored == std::numeric_limits<std::int32_t>::min())
            return std::numeric_limits<std::int32_t>::max();
        return stored < 0 ? -stored : stored;
    }

    std::int32_t blocks_;
};

} // namespace vexo
