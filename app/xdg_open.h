// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

// Hands a web address to the user's browser through xdg-open (which honours
// $BROWSER) exactly as it stands: a removal reference may hold spaces,
// "%" escapes or Windows-1251 bytes that the server expects back unchanged,
// and QUrl would re-encode them. Returns at once, without waiting for the
// browser; false when xdg-open is not installed.
bool XdgOpen(const std::string& address);

} // namespace vexo
