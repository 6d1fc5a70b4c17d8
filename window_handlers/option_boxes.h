// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

class DecoderView;
struct Session;

// The decoder tab's three option boxes (base/decoder_options.h).
enum class DecoderOption { JoinAtOnce, DeleteAfterDecoding, OpenFolderAfter };

// A check box was ticked or cleared, or the program sets an option: a
// change is shown and stored; setting the value it has does nothing.
void SetDecoderOption(Session& session, DecoderView& view, DecoderOption option, bool on);

} // namespace vexo
