// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace vexo {

// The longest file name Linux takes, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// `name` (UTF-8) cut so that `reservedBytes` more (a "(1)" before it, say)
// still fit in a file name: the part before the extension is shortened on
// a character boundary and the extension kept. A name that fits is
// returned as it is.
std::string FitFileName(const std::string& name, std::size_t reservedBytes = 0);

} // namespace vexo
