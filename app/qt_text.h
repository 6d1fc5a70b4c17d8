// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string>

namespace vexo {

// The logic's UTF-8 text for a widget.
inline QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace vexo
