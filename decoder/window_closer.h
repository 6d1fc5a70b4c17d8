// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

// Closing the main window, which ends the program: an unattended decode
// run does it when its work is done. The main window's view implements it.
class WindowCloser {
public:
    virtual ~WindowCloser() = default;

    virtual void closeWindow() = 0;
};

} // namespace vexo
