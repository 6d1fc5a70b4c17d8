#include "base/handler_boundary.h"

#include "base/window_ops.h"

#include <exception>

namespace vexo {

void HandlerBoundary::run(const std::function<void()>& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& error) {
        report(error.what());
    } catch (...) {
        report("Unknown error");
    }
}

void HandlerBoundary::setQuietRepeats(bool quiet)
{
    quietRepeats_ = quiet;
    shown_.clear();
}

void HandlerBoundary::report(const std::string& text) noexcept
{
    if (quietRepeats_ && !shown_.insert(text).second)
        return;
    try {
        ops_.showMessage(MessageKind::Warning, text);
    } catch (...) {
        // A box that cannot be shown has nowhere left to report to.
    }
}

} // namespace vexo
