// The canonical user settings (state and reload) and the return to the system's defaults.
#include "daemonserver/Replies.h"
#include "daemonserver/UserSettingsCommands.h"
#include "node/daemon/NodeCommands.h"

namespace vantrel::node {

using daemonserver::okReply;

namespace {

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
    daemonserver::addUserSettingsCommands<NodeContext>(table, &NodeContext::userSettings,
                                                       [](NodeContext& ctx, const QJsonObject& settings) {
        // Restoring does not write the settings back over the copy being read.
        ctx.ready = false;
        const QStringList unavailable = ctx.restoreSettings(settings);
        ctx.ready = true;
        return unavailable;
    });
    table.add(QStringLiteral("reset_to_vanilla"), resetToVanilla);
}

} // namespace vantrel::node
