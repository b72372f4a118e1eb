// The canonical user settings (state and reload) and the return to the system's defaults.
#include "daemonserver/Replies.h"
#include "daemonserver/UserSettingsReplies.h"
#include "node/daemon/NodeCommands.h"

namespace vantrel::node {

using daemonserver::okReply;

namespace {

QJsonObject userSettingsState(NodeContext& ctx, const QJsonObject&)
{
    return daemonserver::userSettingsStateReply(ctx.userSettings);
}

QJsonObject reloadUserSettings(NodeContext& ctx, const QJsonObject&)
{
    const auto loaded = ctx.userSettings.load();
    if (auto refusal = daemonserver::unrestorableSettingsReply(loaded))
        return *refusal;
    ctx.ready = false;
    const QStringList unavailable = ctx.restoreSettings(loaded.settings);
    ctx.ready = true;
    return daemonserver::reloadedSettingsReply(loaded.settings, unavailable);
}

QJsonObject resetToVanilla(NodeContext& ctx, const QJsonObject&)
{
    ctx.fanPolicy.reset();
    ctx.refreshPower();
    if (const auto b = ctx.battery(); b && b->present)
        ctx.batteryPolicy.reset();
    ctx.sleep.reset();
    ctx.survivalThrottling = QJsonObject{{QStringLiteral("enabled"), false}};
    ctx.smartTargets = {};
    ctx.event(QStringLiteral("safety.reset_to_vanilla"), QStringLiteral("reset"),
              QStringLiteral("Fans, charging and sleep returned to the system's defaults"),
              QStringLiteral("app_request"), QStringLiteral("vanilla"));
    ctx.persistFan();
    ctx.persistBattery();
    ctx.persistSleep();
    return okReply({{QStringLiteral("power_only_state"), QStringLiteral("unmanaged")}});
}

} // namespace

void addNodeSettingsCommands(NodeCommandTable& table)
{
    table.add(QStringLiteral("get_user_settings_state"), userSettingsState, false);
    table.add(QStringLiteral("reload_user_settings"), reloadUserSettings);
    table.add(QStringLiteral("reset_to_vanilla"), resetToVanilla);
}

} // namespace vantrel::node
