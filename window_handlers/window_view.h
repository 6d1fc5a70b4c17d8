// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/window_closer.h"

#include <string>

namespace vexo {

// The main window as a whole; closing it (WindowCloser) ends the program.
class WindowView : public WindowCloser {
public:
    ~WindowView() override = default;

    virtual void showCaption(const std::string& caption) = 0;
    virtual void resizeWindow(int width, int height) = 0;
    virtual void showDecoderTab() = 0;
    // The hidden tab with the address box.
    virtual void showUrlTab(bool visible) = 0;
};

} // namespace vexo
