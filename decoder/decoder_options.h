// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

// What a decode run does besides decoding; the three check boxes of the
// decoder tab, kept in the settings file.
struct DecoderOptions {
    bool joinAtOnce = true;           // "Сразу соединять": join split parts after decoding
    bool deleteAfterDecoding = false; // "Автоудаление": delete containers and joined parts
    bool openFolderAfter = false;     // "Открыть папку": show the folder when the run ends
};

} // namespace vexo
