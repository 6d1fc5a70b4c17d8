// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>

namespace vexo {

// The program was asked to end: its window closed, or SIGTERM, SIGINT or
// SIGHUP arrived. Long work notices it at its next pump and stops there:
// the step in progress ends as a failure, its temporary files go with it,
// and nothing destructive (a deletion, a removal on the server) follows.

// Safe to call from a signal handler.
void RequestStop() noexcept;
bool StopRequested() noexcept;
// A new main window starts a new run.
void ClearStopRequest() noexcept;

// Thrown where long work notices the request. The handler boundary lets it
// pass without a box.
class StopRequest : public std::runtime_error {
public:
    StopRequest();
};

// Throws StopRequest when the program was asked to end.
void StopIfRequested();

} // namespace vexo
