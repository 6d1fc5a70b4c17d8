// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/handler_boundary.h"

#include "base/dialogs.h"
#include "base/stop_request.h"

#include <exception>

namespace vexo {

void HandlerBoundary::run(const std::function<void()>& handler) noexcept
{
    try {
        handler();
    } catch (const StopRequest&) {
        // The program is ending; the work in progress stopped on purpose.
    } catch (const std::exception& error) {
        report(error.what());
    } catch (...) {
        report("Unknown error");
    }
}

std::function<void()> HandlerBoundary::guard(std::function<void()> handler)
{
    return [this, handler = std::move(handler)] { run(handler); };
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
        dialogs_.showMessage(MessageKind::Warning, text);
    } catch (...) {
        // A box that cannot be shown has nowhere left to report to.
    }
}

} // namespace vexo
