// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <set>
#include <string>

namespace vexo {

class Dialogs;

// Every event handler runs behind this boundary: an error that escapes a
// handler is shown in a warning box with its text, and the event loop goes
// on. A stop the program was asked for passes without a box. While quiet repeats are on (start-up), a text already
// shown once is not shown again.
class HandlerBoundary {
public:
    explicit HandlerBoundary(Dialogs& dialogs) : dialogs_(dialogs) {}

    void run(const std::function<void()>& handler) noexcept;
    // The handler wrapped in the boundary, to be bound to an event.
    std::function<void()> guard(std::function<void()> handler);

    void setQuietRepeats(bool quiet);

private:
    void report(const std::string& text) noexcept;

    Dialogs& dialogs_;
    bool quietRepeats_ = false;
    std::set<std::string> shown_;
};

} // namespace vexo
