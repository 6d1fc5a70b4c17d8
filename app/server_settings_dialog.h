// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/server_settings_controls.h"
#include "window_handlers/autostart_entry.h"
#include "window_handlers/server_settings.h"

#include <QDialog>

#include <cstdint>
#include <optional>

namespace vexo {

class Downloader;
struct WindowContext;

// The server settings dialog: login, password, the server's host and port,
// and what becomes of a fetched file on the server. It is built once, when
// first needed, edits the session's settings file, and lives hidden when
// not in use; its fields keep the user's text between openings. It is a
// window-modal child of the main window: while it is open the main window
// takes no input. Its box "Запускать при входе в систему" shows, at each
// opening, whether the autostart entry is there, and OK alone applies it.
// Enter presses OK; Escape closes it as its close box does.
class ServerSettingsDialog : public QDialog {
    Q_OBJECT
public:
    ServerSettingsDialog(WindowContext& context, Downloader& downloader, const ServerSettingsForm& form);

    // The main window's button "Настройки": shows the dialog centred over
    // the main window, without waiting, its box showing the autostart entry
    // as it is now.
    void open() override;
    // The close box and Escape: the fields are kept, nothing else is applied.
    void reject() override;

    const ServerSettingsForm& form() const { return form_; }
    const ServerSettingsControls& controls() const { return c_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void bindFields();
    void fill();
    void fitToContents();
    void showCentred();
    void applyAndClose();

    WindowContext& context_;
    // OK hands it the server it checks.
    Downloader& downloader_;
    ServerSettingsForm form_;
    // The removal mode the radio buttons show; OK takes it.
    std::optional<std::uint8_t> chosenMode_;
    // The start at login as the box showed it on opening and as it says now.
    StartAtLoginChoice startAtLogin_;
    // Hidden because the main window was: shown again with it.
    bool openWithMainWindow_ = false;
    ServerSettingsControls c_;
};

} // namespace vexo
