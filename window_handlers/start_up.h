// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace vexo {

class DecoderView;
class HandlerBoundary;
class Session;
class SettingsStore;
class WindowView;
struct DecoderOptions;
struct Views;

// The main window's start-up: opens the settings file, sizes the window,
// settles the working folder from the settings and the command line,
// restores the decoder's options and sets the caption and the tray hint.
// The session's program places and command line must be set. A refused
// settings write is shown once and start-up goes on.
void StartUp(Session& session, DecoderOptions& options, Views& views, HandlerBoundary& boundary);

// The rules by which a start takes its working folder, the first start's
// and those handed over to a running window alike: `folder` (absolute) is
// made when it is the default folder; any other folder that does not exist
// is said in a box and the default folder is taken instead. The folder
// taken is stored.
void TakeStartFolder(Session& session, Views& views, HandlerBoundary& boundary, std::string folder);

// "/d" of a start: "Автоудаление" is ticked, and so stored for later starts.
void TakeDeleteSwitch(DecoderOptions& options, SettingsStore& settings, DecoderView& view, HandlerBoundary& boundary);

// The window never gets narrower than 640 or lower than 300 pixels.
struct WindowSize {
    int width;
    int height;
};
WindowSize AtLeastMinimumSize(WindowSize size);

// The window was resized: one below the minimum is brought back to it.
void KeepMinimumSize(WindowView& view, WindowSize size);

// The window closes: its size is stored for the next start.
void StoreWindowSize(SettingsStore& settings, WindowSize size);

} // namespace vexo
