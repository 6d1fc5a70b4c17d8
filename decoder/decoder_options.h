// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

// What a decode run does besides decoding, and whether what arrives from
// the server is decoded by itself; the check boxes of the decoder tab, kept
// in the settings file.
struct DecoderOptions {
    bool joinAtOnce = true;           // "Сразу соединять": join split parts after decoding
    bool deleteAfterDecoding = false; // "Автоудаление": delete containers and joined parts
    bool openFolderAfter = false;     // "Открыть папку": show the folder when the run ends
    bool decodeArrivals = false; // "Расшифровывать скачанное": a run once the downloads are done
};

} // namespace vexo
