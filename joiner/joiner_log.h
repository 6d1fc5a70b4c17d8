// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace vexo {

// Where the joiner reports: a line per file in the decoder tab's list, the
// parts bar and the bytes bar.
class JoinerLog {
public:
    virtual ~JoinerLog() = default;

    virtual void logLine(const std::string& text) = 0;
    virtual void rewriteLastLine(const std::string& text) = 0;
    virtual void selectLastLine() = 0;
    virtual void showPartProgress(std::int64_t percent) = 0;
    virtual void showByteProgress(std::int64_t percent) = 0;
};

} // namespace vexo
