#pragma once

#include <functional>
#include <set>
#include <string>

namespace vexo {

class WindowOps;

// Every event handler runs behind this boundary: an error that escapes a
// handler is shown in a warning box with its text, and the event loop goes
// on. While quiet repeats are on (start-up), a text already shown once is
// not shown again.
class HandlerBoundary {
public:
    explicit HandlerBoundary(WindowOps& ops) : ops_(ops) {}

    void run(const std::function<void()>& handler) noexcept;

    void setQuietRepeats(bool quiet);

private:
    void report(const std::string& text) noexcept;

    WindowOps& ops_;
    bool quietRepeats_ = false;
    std::set<std::string> shown_;
};

} // namespace vexo
