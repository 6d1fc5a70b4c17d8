// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace vexo::test {

// What the program's decoder makes of `folder`: its folder scan ("Добавить
// всё") must find exactly one container there, which is then decoded
// beside itself; returns the decoded file's bytes, or nothing when the scan
// found none (or more than one) or a box was shown.
std::optional<std::string> DecodeTheOneContainerFound(const std::string& folder);

} // namespace vexo::test
