// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_handlers/server_settings.h"

#include "base/session.h"
#include "base/settings_store.h"
#include "downloader/downloader.h"
#include "downloader/downloader_view.h"

#include <string>

namespace vexo {

ServerSettingsForm ReadServerSettings(const SettingsStore& stored)
{
    ServerSettingsForm form;
    form.server = stored.readString(settings::kServer);
    form.port = stored.readString(settings::kPort);
    form.login = stored.readString(settings::kLogin);
    form.password = stored.readString(settings::kPassword);
    form.removalMode = static_cast<std::uint8_t>(stored.readInteger(settings::kRemovalMode) & 0xFF);
    return form;
}

void StoreServerSettings(SettingsStore& stored, const ServerSettingsForm& form)
{
    // One replacement of the file: a refused write stores none of the
    // fields rather than the first few.
    stored.writeStrings({{settings::kServer, form.server},
                         {settings::kPort, form.port},
                         {settings::kLogin, form.login},
                         {settings::kPassword, form.password},
                         {settings::kRemovalMode, std::to_string(form.removalMode)}});
}

TcpEndpoint StoredServerAddress(const SettingsStore& stored)
{
    return {stored.readString(settings::kServer), stored.readString(settings::kPort)};
}

void ApplyServerSettings(Session& session, ServerSettingsForm& form, std::optional<std::uint8_t> chosenMode,
                         Downloader& downloader, DownloaderView& view)
{
    if (chosenMode)
        form.removalMode = *chosenMode;
    StoreServerSettings(session.settings(), form);
    downloader.setServerAddress(StoredServerAddress(session.settings()));
    view.setTimerInterval(DownloaderTimer::TaskRunner, 5000);
}

} // namespace vexo
