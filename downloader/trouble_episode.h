// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

class TrayView;

// A run of failures of the server work, as the tray shows it. It begins
// with the first failure while none is open (a check that cannot connect
// or is refused its login, a file whose download fails, a box of the
// downloader) and ends at the next check that gets its list while no listed
// file waits after a failure. While it lasts the icon has its error look
// and the hint names the last error; one notice says the failure when the
// episode begins, and one more says when it ends, however many ticks fail
// between them.
class TroubleEpisode {
public:
    static constexpr const char* kRecovered = "Всё снова работает";

    explicit TroubleEpisode(TrayView& tray) : tray_(tray) {}

    // A failure, in the words the status bar or the box gives it.
    void failed(const std::string& text);
    // A check got its list; `filesFailing` when a file it lists waits after
    // a failure, which keeps the episode open.
    void checkSucceeded(bool filesFailing);

private:
    TrayView& tray_;
    bool open_ = false;
    std::string lastError_;
};

} // namespace vexo
