// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace vexo {

class DecoderView;
class WindowView;

// The decoder tab came to the front: "Добавить всё" takes the focus, so
// Enter adds the working folder's files.
void DecoderTabShown(DecoderView& view);

// A right click on the file progress bar. The tenth since start-up (and
// every 256th after it) shows the hidden address tab; any other hides it.
void RevealUrlTabOnTenthClick(std::uint8_t& clicks, WindowView& view);

} // namespace vexo
