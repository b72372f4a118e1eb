// Battery commands: the policy, the charge limit, the one-time full charge and cloud alerts.
#include <variant>

#include "daemonserver/BatteryReplies.h"
#include "daemonserver/BatteryRequest.h"
#include "daemonserver/CloudAlertRequest.h"
#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

namespace {

// The parts of a battery configuration the charger applies separately; each can fail alone.
const QStringList& chargeParts()
{
    static const QStringList parts{QStringLiteral("charge_limit"), QStringLiteral("charge_protector"),
                                   QStringLiteral("heat_protection"), QStringLiteral("safety_drain")};
    return parts;
}

std::optional<QJsonObject> noBattery(const SimContext& ctx)
{
    if (ctx.mac.battery())
        return std::nullopt;
    return daemonserver::noBatteryReply(QStringLiteral("This Mac has no battery."));
}

// What the charger takes of the requested configuration: parts whose write fails keep their old values.
BatteryConfig appliedParts(const BatteryConfig& requested, const BatteryConfig& old, const QSet<QString>& failing)
{
    BatteryConfig applied = requested;
    if (failing.contains(QStringLiteral("charge_limit"))) {
        applied.limitEnabled = old.limitEnabled;
        applied.limit = old.limit;
    }
    if (failing.contains(QStringLiteral("charge_protector"))) {
        applied.chargeProtector = old.chargeProtector;
        applied.drop = old.drop;
    }
    if (failing.contains(QStringLiteral("heat_protection"))) {
        applied.heatProtect = old.heatProtect;
        applied.maxTemp = old.maxTemp;
    }
    if (failing.contains(QStringLiteral("safety_drain"))) {
        applied.safetyDrain = old.safetyDrain;
        applied.drainFixedTarget = old.drainFixedTarget;
    }
    return applied;
}

QJsonObject setBatteryConfig(SimContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    const auto parsed = daemonserver::parseBatteryRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const BatteryConfig& requested = std::get<BatteryConfig>(parsed);
    const BatteryConfig applied = appliedParts(requested, ctx.mac.policy().config(), ctx.chargerFaults);
    ctx.mac.policy().configure(applied);
    ctx.mac.settle();

    QJsonObject lastApply;
    QStringList failed;
    for (const QString& part : chargeParts()) {
        const bool ok = !ctx.chargerFaults.contains(part);
        lastApply.insert(part + QStringLiteral("_ok"), ok);
        if (!ok)
            failed << part;
    }
    ctx.mac.recordEvent({QStringLiteral("battery.config"), QStringLiteral("config_applied"),
                         QStringLiteral("limit %1%2, protector %3, heat %4 at %5 °C, drain %6")
                             .arg(requested.limit)
                             .arg(requested.limitEnabled ? QString() : QStringLiteral(" (off)"))
                             .arg(requested.chargeProtector ? QStringLiteral("on") : QStringLiteral("off"),
                                  requested.heatProtect ? QStringLiteral("on") : QStringLiteral("off"))
                             .arg(requested.maxTemp, 0, 'f', 1)
                             .arg(requested.safetyDrain ? QStringLiteral("on") : QStringLiteral("off")),
                         QStringLiteral("app_request"),
                         failed.isEmpty() ? QStringLiteral("applied") : QStringLiteral("partial")});
    ctx.persistBattery(requested);
    return daemonserver::batteryConfigReply(lastApply, failed, ctx.mac.policy().state(),
                                            QStringLiteral("The charger did not take: "));
}

QJsonObject setChargeLimit(SimContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    const auto requested = daemonserver::requestedChargeLimit(request);
    if (const auto* error = std::get_if<QJsonObject>(&requested))
        return *error;
    const int limit = std::get<int>(requested);
    if (ctx.chargerFaults.contains(QStringLiteral("charge_limit")))
        return errorReply(QStringLiteral("ERR_CHARGE_APPLY_FAILED"),
                          QStringLiteral("The charger did not take the new limit."),
                          {{QStringLiteral("reason"), QStringLiteral("charger_write_failed")}});
    ctx.mac.policy().setChargeLimit(limit);
    ctx.mac.settle();
    ctx.mac.recordEvent({QStringLiteral("battery.charge_limit"), QStringLiteral("limit_set"),
                         QStringLiteral("Charge limit %1%").arg(limit), QStringLiteral("app_request"),
                         ctx.mac.policy().state()});
    ctx.persistBattery();
    return okReply({{QStringLiteral("limit"), limit}});
}

QJsonObject requestOneTimeFullCharge(SimContext& ctx, const QJsonObject& request)
{
    if (auto refused = noBattery(ctx))
        return *refused;
    const auto requested = daemonserver::requestedRestoreLimit(request);
    if (const auto* error = std::get_if<QJsonObject>(&requested))
        return *error;
    const std::optional<int> restore = std::get<std::optional<int>>(requested);
    ctx.mac.policy().requestOneTimeFullCharge(restore);
    ctx.mac.settle();
    ctx.mac.recordEvent({QStringLiteral("battery.one_time_full_charge"), QStringLiteral("requested"),
                         daemonserver::oneTimeFullChargeSummary(restore), QStringLiteral("app_request"),
                         QStringLiteral("temporary_full_charge")});
    return daemonserver::oneTimeFullChargeReply(ctx.mac.policy().state());
}

} // namespace

void addBatteryCommands(CommandTable& table)
{
    table.add(QStringLiteral("set_battery_config"), setBatteryConfig);
    table.add(QStringLiteral("set_charge_limit"), setChargeLimit);
    table.add(QStringLiteral("request_one_time_full_charge"), requestOneTimeFullCharge);
    daemonserver::addCloudAlertCommands(table, &SimContext::cloudAlerts, &SimContext::persistDaemonSetting, false);
}

} // namespace vantrel::sim
