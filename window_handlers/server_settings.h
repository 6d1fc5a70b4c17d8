// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/tcp_client.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vexo {

class Downloader;
class DownloaderView;
class SettingsStore;
class Session;

// What the server settings dialog edits: the "Server" keys of the settings
// file. The dialog keeps its fields between openings.
struct ServerSettingsForm {
    std::string server;
    std::string port;
    std::string login;
    std::string password;
    // What becomes of a fetched file on the server: 1 removed in the
    // browser, 2 removed in the background, 3 left there. Other values are
    // kept as they are, with no choice shown.
    std::uint8_t removalMode = 1;
};

// The fields as the settings file holds them (the removal mode as its low
// eight bits).
ServerSettingsForm ReadServerSettings(const SettingsStore& stored);

// The dialog closes, by OK or by its close box: the four fields and the
// removal mode are stored, all in one write or, when it is refused, none.
void StoreServerSettings(SettingsStore& stored, const ServerSettingsForm& form);

// The host and port the server check takes, as the settings file holds them.
TcpEndpoint StoredServerAddress(const SettingsStore& stored);

// "OK": takes the chosen removal mode (none chosen keeps the old one),
// stores the fields in the session's settings file, hands the stored host
// and port to the server check, and lets the task runner tick again in 5 s.
void ApplyServerSettings(Session& session, ServerSettingsForm& form, std::optional<std::uint8_t> chosenMode,
                         Downloader& downloader, DownloaderView& view);

} // namespace vexo
