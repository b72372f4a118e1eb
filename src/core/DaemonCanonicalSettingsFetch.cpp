#include "core/DaemonCanonicalSettingsFetch.h"

#include "daemon/DaemonClient.h"
#include "daemon/ReloadedUserSettings.h"
#include "daemon/UserSettingsState.h"

namespace vantrel {

DaemonCanonicalSettingsFetchResult fetchDaemonCanonicalSettings(const DaemonClient& daemon)
{
    const std::optional<QJsonObject> state = daemon.getUserSettingsState();
    if (!state)
        return DaemonCanonicalSettingsFetchResult::unavailable();
    if (!UserSettingsState::fromReply(*state).exists)
        return DaemonCanonicalSettingsFetchResult::absent();
    const std::optional<QJsonObject> reply = daemon.reloadUserSettingsReply();
    if (!reply)
        return DaemonCanonicalSettingsFetchResult::unavailable();
    const std::optional<ReloadedUserSettings> reloaded = ReloadedUserSettings::fromReply(*reply);
    if (!reloaded)
        return DaemonCanonicalSettingsFetchResult::unavailable();
    return {DaemonCanonicalSettingsFetchResult::Kind::Loaded, reloaded->settings, reloaded->status, reloaded->code};
}

} // namespace vantrel
