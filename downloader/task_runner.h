// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

// Whether a name from the server may be joined to the working folder: not
// empty, not "." or "..", and holding no "/" and no NUL.
bool IsPlainFileName(const std::string& name);

// The name a listed file is fetched under in the working folder: a name
// from outside, made safe and shortened as the folder needs.
std::string LocalFileName(const std::string& listedName);

// The address that removes a file on the server: "http://" + host +
// "/uploader/" + the removal reference, joined as plain text.
std::string RemovalAddress(const std::string& host, const std::string& removeRef);

} // namespace vexo
