// The canonical user settings (state and reload) and the return to the macOS defaults.
#include "daemonserver/UserSettingsCommands.h"
#include "sim/protocol/CommandTable.h"
#include "sim/protocol/UserSettings.h"

namespace vantrel::sim {

namespace {

QJsonObject resetToVanilla(SimContext& ctx, const QJsonObject&)
{
    SimulatedMac& mac = ctx.mac;
    mac.fans().resetToAuto();
    mac.policy().resetToVanilla();
    std::vector<PolicyEvent> events;
    mac.sleep().resetToVanilla(events);
    for (const auto& e : events)
        mac.recordEvent(e);
    mac.survivalThrottling() = SurvivalThrottling{};
    mac.settle();
    mac.recordEvent({QStringLiteral("safety.reset_to_vanilla"), QStringLiteral("reset"),
                     QStringLiteral("Fans, charging and sleep returned to the macOS defaults"),
                     QStringLiteral("app_request"), QStringLiteral("vanilla")});
    ctx.persistFan();
    if (mac.battery())
        ctx.persistBattery();
    ctx.persistSleep();
    ctx.persistDaemonSetting(QStringLiteral("smart_targets"), QJsonObject{});
    ctx.persistDaemonSetting(QStringLiteral("survival_throttling"), QJsonObject{{QStringLiteral("enabled"), false}});
    return okReply({{QStringLiteral("power_only_state"), mac.policy().state()}});
}

} // namespace

void addSettingsCommands(CommandTable& table)
{
    daemonserver::addUserSettingsCommands<SimContext>(table, &SimContext::userSettings,
                                                      [](SimContext& ctx, const QJsonObject& settings) {
        // What this Mac cannot run stays pending; the user's intent is loaded.
        return restoreSettings(settings, ctx.mac);
    });
    table.add(QStringLiteral("reset_to_vanilla"), resetToVanilla);
}

} // namespace vantrel::sim
