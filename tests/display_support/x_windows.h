// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <vector>

namespace vexo::test {

// The top-level windows of another program on the test's X display, as
// xdotool finds them.
class XWindows {
public:
    // Whether xdotool is there to ask.
    static bool Installed();
    // The mapped windows of process `pid` whose title matches `title`, a
    // regular expression as xdotool takes it.
    static std::vector<unsigned long> Visible(qint64 pid, const QString& title);
    // Answers a message box as a user would: gives it the keyboard focus and
    // presses Return, which is its OK.
    static void Answer(unsigned long window);
};

} // namespace vexo::test
