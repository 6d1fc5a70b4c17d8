// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace vexo {

class HandlerBoundary;
class WindowView;
struct Session;
struct Views;

// The main window's start-up: opens the settings file, sizes the window,
// settles the working folder from the settings and the command line,
// restores the decoder's options and sets the caption and the tray hint.
// `session.executablePath`, `programFolder` and `commandLine` must be set. A
// refused settings write is shown once and start-up goes on.
void StartUp(Session& session, Views& views, HandlerBoundary& boundary);

// The window never gets narrower than 640 or lower than 300 pixels.
struct WindowSize {
    int width;
    int height;
};
WindowSize AtLeastMinimumSize(WindowSize size);

// The window was resized: one below the minimum is brought back to it.
void KeepMinimumSize(WindowView& view, WindowSize size);

// The window closes: its size is stored for the next start.
void StoreWindowSize(const Session& session, WindowSize size);

} // namespace vexo
