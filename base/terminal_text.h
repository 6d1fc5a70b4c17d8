// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vexo {

// `text` as it may go to a terminal: names in it come from files and
// servers, and a control character there (ESC, BEL, CR, a C1 control, a
// stray byte that is no UTF-8) would act on the user's terminal. Each such
// byte is written "\x1b"-style; line breaks and every other UTF-8 character
// stay as they are.
std::string TerminalText(std::string_view text);

} // namespace vexo
