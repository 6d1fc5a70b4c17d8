// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

// What the program's logic tells the window, in the program's own words,
// goes through views: one per part of the window, each declared on the
// floor whose logic owns that part, and the Dialogs seam below, which every
// floor uses for modal boxes, pickers, the desktop's programs and the pump.
// The logic owns its state (options, queue, server table, ...); the views
// only show it, and writing through a view never runs a handler. The window
// implements the views on its widgets; the tests implement them with
// recording fakes, and one contract suite holds both to the same behaviour.

namespace vexo {

enum class MessageKind { Information, Warning };

// Modal boxes and pickers, the user's desktop programs, and the pump.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Each waits until the user has closed it; in an unattended run ("/a")
    // nothing waits: the text goes to the log and the work goes on as after OK.
    virtual void showMessage(MessageKind kind, const std::string& text) = 0;
    // The same box, shown without waiting: it stays until the user closes
    // it while the work goes on. For work that must not stand still when
    // nobody is there to answer, as the server downloader in the tray.
    virtual void showNotice(MessageKind kind, const std::string& text) = 0;
    // The chosen files (full paths), or an empty list when the user cancels.
    // `filter` is "Description|*.a;*.b|All Files|*.*".
    virtual std::vector<std::string> pickFiles(const std::string& startFolder, const std::string& filter) = 0;
    // The chosen folder, or nothing when the user cancels.
    virtual std::optional<std::string> pickFolder(const std::string& title, const std::string& preselected) = 0;

    // A folder in the file manager, a web address in the browser; returns
    // at once, without waiting for the program it starts.
    virtual void openExternally(const std::string& folderOrAddress) = 0;

    // Handles the window's pending events, then returns. Long work calls it
    // so that the window stays alive; when the program was asked to end
    // meanwhile, it throws StopRequest (base/stop_request.h).
    virtual void pump() = 0;
};

} // namespace vexo
