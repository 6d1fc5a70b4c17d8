// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vexo {

// An address as bytes on the wire: every byte a URL may not carry as it is
// (a space, a control byte, a byte beyond ASCII such as a Windows-1251
// letter, "\"", "<", ">", "\\", "^", "`", "{", "|", "}") is written as %XX
// of that very byte; the rest, "%" escapes included, stays. This is what a
// browser sends for the same bytes.
std::string EncodeUrlBytes(std::string_view address);

} // namespace vexo
