// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vexo {

// A file-name pattern with "*" (any run of characters, none included) and
// "?" (exactly one character), matched without regard to case. Characters
// are UTF-8 code points, so "?" stands for one Cyrillic letter as well.
class WildcardMask {
public:
    explicit WildcardMask(std::string_view mask);

    bool matches(std::string_view name) const;

private:
    std::u32string mask_;
};

} // namespace vexo
