// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vexo::test {

// A QString of UTF-8 text written in the test, Cyrillic captions included.
inline QString U(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace vexo::test
