// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

class DecoderView;
class SettingsStore;
struct DecoderOptions;

// The decoder tab's option boxes (decoder/decoder_options.h).
enum class DecoderOption { JoinAtOnce, DeleteAfterDecoding, OpenFolderAfter, DecodeArrivals };

// A check box was ticked or cleared, or the program sets an option: a
// change is shown and stored; setting the value it has does nothing.
void SetDecoderOption(DecoderOptions& options, SettingsStore& settings, DecoderView& view, DecoderOption option,
                      bool on);

} // namespace vexo
