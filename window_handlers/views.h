// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "decoder/decoder_view.h"
#include "downloader/downloader_view.h"
#include "downloader/tray_view.h"
#include "web/web_pages_view.h"
#include "window_handlers/window_view.h"

namespace vexo {

// All views of the main window, for the code that reaches several.
struct Views {
    WindowView& window;
    DecoderView& decoder;
    DownloaderView& downloader;
    TrayView& tray;
    WebPagesView& webPages;
    Dialogs& dialogs;
};

} // namespace vexo
