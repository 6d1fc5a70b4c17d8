// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_handlers/window_events.h"

#include "decoder/decoder_view.h"
#include "window_handlers/window_view.h"

namespace vexo {

void DecoderTabShown(DecoderView& view)
{
    view.focus(DecoderControl::AddAll);
}

void RevealUrlTabOnTenthClick(std::uint8_t& clicks, WindowView& view)
{
    ++clicks;
    view.showUrlTab(clicks == 10);
}

} // namespace vexo
