// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

class HandlerBoundary;
class Session;
struct DecoderOptions;
struct MainWindowControls;
struct Views;

// What the bindings of one subsystem need from the main window: the shared
// state, the decoder tab's options, the views, the widgets to bind, and the
// boundary every handler runs behind.
struct WindowContext {
    Session& session;
    DecoderOptions& decoderOptions;
    Views& views;
    MainWindowControls& controls;
    HandlerBoundary& boundary;
};

} // namespace vexo
