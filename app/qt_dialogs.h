// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"

class QMessageBox;
class QWidget;

namespace vexo {

// Modal boxes and pickers over the main window, the desktop's programs
// through xdg-open, and Qt's event loop as the pump.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget& window) : window_(window) {}

    // In an unattended run nobody answers a box: its text goes to
    // standard error, for a log, and the work goes on as after OK.
    void setUnattended(bool unattended) { unattended_ = unattended; }

    void showMessage(MessageKind kind, const std::string& text) override;
    void showNotice(MessageKind kind, const std::string& text) override;
    std::vector<std::string> pickFiles(const std::string& startFolder, const std::string& filter) override;
    std::optional<std::string> pickFolder(const std::string& title, const std::string& preselected) override;
    void openExternally(const std::string& folderOrAddress) override;
    void pump() override;

private:
    // Nobody to ask: the box's text went to the log, or the program is ending.
    bool answeredAlready(const std::string& text) const;
    QMessageBox* makeBox(MessageKind kind, const std::string& text);

    QWidget& window_;
    bool unattended_ = false;
};

} // namespace vexo
