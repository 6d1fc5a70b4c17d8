// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/views.h"

class QWidget;

namespace vexo {

// Modal boxes and pickers over the main window, the desktop's programs
// through xdg-open, and Qt's event loop as the pump.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget& window) : window_(window) {}

    // Every box's text also goes to standard error, for a log.
    void setEchoToStandardError(bool echo) { echo_ = echo; }
    // How many warning boxes (errors) were due so far, shown or not.
    int errorsShown() const { return errors_; }

    void showMessage(MessageKind kind, const std::string& text) override;
    std::vector<std::string> pickFiles(const std::string& startFolder, const std::string& filter) override;
    std::optional<std::string> pickFolder(const std::string& title, const std::string& preselected) override;
    void openExternally(const std::string& folderOrAddress) override;
    void pump() override;

private:
    QWidget& window_;
    bool echo_ = false;
    int errors_ = 0;
};

} // namespace vexo
