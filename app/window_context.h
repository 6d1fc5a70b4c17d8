// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

class HandlerBoundary;
struct MainWindowControls;
struct Session;
struct Views;

// What the bindings of one subsystem need from the main window: the shared
// state, the views, the widgets to bind, and the boundary every handler
// runs behind.
struct WindowContext {
    Session& session;
    Views& views;
    MainWindowControls& controls;
    HandlerBoundary& boundary;
};

} // namespace vexo
