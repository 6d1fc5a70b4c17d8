// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstdint>

namespace vexo {

// part / whole × 100 in floating point, rounded to the nearest integer with
// halves to even (the bars' rounding). A whole of 0 counts as finished.
inline std::int64_t RoundedPercent(std::int64_t part, std::int64_t whole)
{
    if (whole == 0)
        return 100;
    return static_cast<std::int64_t>(
        std::nearbyint(static_cast<long double>(part) / static_cast<long double>(whole) * 100.0L));
}

} // namespace vexo
