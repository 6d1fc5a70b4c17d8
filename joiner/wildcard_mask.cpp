// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/wildcard_mask.h"

#include "joiner/name_fold.h"

namespace vexo {

WildcardMask::WildcardMask(std::string_view mask) : mask_(FoldName(mask))
{}

bool WildcardMask::matches(std::string_view name) const
{
    const std::u32string text = FoldName(name);
    // Greedy scan that falls back to the last "*" on a mismatch: linear in
    // practice and never exponential.
    std::size_t t = 0;
    std::size_t m = 0;
    std::size_t starMask = std::u32string::npos;
    std::size_t starText = 0;
    while (t < text.size()) {
        if (m < mask_.size() && mask_[m] == U'*') {
            starMask = m++;
            starText = t;
        } else if (m < mask_.size() && (mask_[m] == U'?' || mask_[m] == text[t])) {
            ++m;
            ++t;
        } else if (starMask != std::u32string::npos) {
            m = starMask + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (m < mask_.size() && mask_[m] == U'*')
        ++m;
    return m == mask_.size();
}

} // namespace vexo
