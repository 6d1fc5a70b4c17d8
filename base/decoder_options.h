// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

class DecoderView;
struct Session;

// What a decode run does besides decoding; the three check boxes of the
// decoder tab, kept in the settings file.
struct DecoderOptions {
    bool joinAtOnce = true;           // "Сразу соединять": join split parts after decoding
    bool deleteAfterDecoding = false; // "Автоудаление": delete containers and joined parts
    bool openFolderAfter = false;     // "Открыть папку": show the folder when the run ends
};

enum class DecoderOption { JoinAtOnce, DeleteAfterDecoding, OpenFolderAfter };

// A check box was ticked or cleared, or the program sets an option: a
// change is shown and stored; setting the value it has does nothing.
void SetDecoderOption(Session& session, DecoderView& view, DecoderOption option, bool on);

} // namespace vexo
