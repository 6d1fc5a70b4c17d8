#include "base/server_settings.h"

#include "base/session.h"
#include "base/settings_store.h"
#include "base/views.h"

namespace vexo {

ServerSettingsForm ReadServerSettings(const SettingsStore& stored)
{
    ServerSettingsForm form;
    form.server = stored.ReadString(settings::kServer);
    form.port = stored.ReadString(settings::kPort);
    form.login = stored.ReadString(settings::kLogin);
    form.password = stored.ReadString(settings::kPassword);
    form.removalMode = static_cast<std::uint8_t>(stored.ReadInteger(settings::kRemovalMode) & 0xFF);
    return form;
}

void StoreServerSettings(SettingsStore& stored, const ServerSettingsForm& form)
{
    stored.WriteString(settings::kServer, form.server);
    stored.WriteString(settings::kPort, form.port);
    stored.WriteString(settings::kLogin, form.login);
    stored.WriteString(settings::kPassword, form.password);
    stored.WriteInteger(settings::kRemovalMode, form.removalMode);
}

void ApplyServerSettings(Session& session, SettingsStore& stored, ServerSettingsForm& form,
                         std::optional<std::uint8_t> chosenMode, DownloaderView& view)
{
    if (chosenMode)
        form.removalMode = *chosenMode;
    StoreServerSettings(stored, form);
    session.client.host = stored.ReadString(settings::kServer);
    session.client.port = stored.ReadString(settings::kPort);
    view.setTimerInterval(DownloaderTimer::TaskRunner, 5000);
}

} // namespace vexo
