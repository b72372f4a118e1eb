// Fan commands: modes, fixed speeds, curves, smart targets and the survival throttle.
#include <variant>

#include "daemonserver/CoolingRequests.h"
#include "daemonserver/FanRequests.h"
#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

namespace {

std::optional<QJsonObject> fanControlRefused(const SimContext& ctx, bool needsSafeControl)
{
    const MachineProfile& p = ctx.mac.profile();
    const bool supported = !p.fans.empty() && (needsSafeControl ? p.supportsSafeFanControl : p.supportsSmcFanControl);
    if (supported)
        return std::nullopt;
    return daemonserver::fanControlUnsupported(QStringLiteral("This Mac's fans cannot be controlled."));
}

// The fans this Mac has and may drive by index.
daemonserver::FanChecks fanChecks(const SimContext& ctx)
{
    return {fanControlRefused(ctx, false), [&ctx](qint64 index) { return index < ctx.mac.fans().count(); },
            QStringLiteral("This Mac has no fan %1.")};
}

QJsonObject setFanMode(SimContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseFanModeRequest(request, fanChecks(ctx));
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& [fan, mode] = std::get<daemonserver::FanModeRequest>(parsed);
    ctx.mac.fans().setMode(fan, mode == QLatin1String("manual") ? FanMode::Manual : FanMode::Auto);
    ctx.mac.recordEvent({QStringLiteral("fan.mode"), QStringLiteral("mode_set"),
                         QStringLiteral("Fan %1 set to %2").arg(fan).arg(mode), QStringLiteral("app_request"), mode});
    ctx.persistFan();
    return daemonserver::fanModeReply(fan, mode);
}

QJsonObject setFanRpm(SimContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseFanRpmRequest(request, fanChecks(ctx));
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& [fan, rpm] = std::get<daemonserver::FanRpmRequest>(parsed);
    ctx.mac.fans().setFixedRpm(fan, rpm);
    const int applied = *ctx.mac.fans().fan(fan).fixedRpm;
    ctx.mac.recordEvent({QStringLiteral("fan.rpm"), QStringLiteral("rpm_set"),
                         QStringLiteral("Fan %1 held at %2 rpm").arg(fan).arg(applied), QStringLiteral("app_request"),
                         QStringLiteral("manual")});
    ctx.persistFan();
    return daemonserver::fanRpmReply(fan, applied);
}

QJsonObject setFanConfig(SimContext& ctx, const QJsonObject& request)
{
    if (auto refused = fanControlRefused(ctx, true))
        return *refused;
    const auto parsed = daemonserver::parseFanConfigRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const FanConfig& config = std::get<FanConfig>(parsed);
    const QString mode = daemonserver::fanModeName(config.manual);
    ctx.mac.fans().applyConfig(config);
    ctx.mac.recordEvent({QStringLiteral("fan.curve"), QStringLiteral("config_applied"),
                         QStringLiteral("Fan preset %1 (%2%3)")
                             .arg(config.presetName, mode, config.unified ? QStringLiteral(", unified") : QString()),
                         QStringLiteral("app_request"), mode});
    ctx.persistFan();
    return daemonserver::fanConfigReply(config);
}

// The simulated fans know three components; GPU and VRAM targets both bound the GPU.
SmartTargets smartTargetsOf(const QJsonObject& targets)
{
    SmartTargets smart;
    for (auto it = targets.begin(); it != targets.end(); ++it) {
        const double t = it.value().toDouble();
        if (it.key() == QLatin1String("CPU"))
            smart.cpu = t;
        else if (it.key() == QLatin1String("GPU") || it.key() == QLatin1String("VRAM"))
            smart.gpu = std::min(smart.gpu.value_or(t), t);
        else if (it.key() == QLatin1String("Memory"))
            smart.memory = t;
    }
    return smart;
}

QJsonObject setSmartTargetConfig(SimContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseSmartTargetsRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const SmartTargets smart = smartTargetsOf(std::get<daemonserver::SmartTargetsRequest>(parsed).targets);
    QJsonObject stored;
    if (smart.cpu)
        stored.insert(QStringLiteral("cpu"), *smart.cpu);
    if (smart.gpu)
        stored.insert(QStringLiteral("gpu"), *smart.gpu);
    if (smart.memory)
        stored.insert(QStringLiteral("memory"), *smart.memory);
    ctx.mac.fans().setSmartTargets(smart);
    ctx.persistDaemonSetting(QStringLiteral("smart_targets"), stored);
    ctx.mac.recordEvent(
        {QStringLiteral("cool.smart_target"),
         smart.any() ? QStringLiteral("targets_set") : QStringLiteral("targets_cleared"),
         smart.any() ? QStringLiteral("Smart cooling targets set") : QStringLiteral("Smart cooling targets cleared"),
         QStringLiteral("app_request"), smart.any() ? QStringLiteral("enabled") : QStringLiteral("disabled")});
    return okReply({{QStringLiteral("enabled"), smart.any()}});
}

QJsonObject setSurvivalThrottling(SimContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseSurvivalThrottlingRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& s = std::get<daemonserver::SurvivalThrottlingRequest>(parsed);
    ctx.mac.survivalThrottling() = SurvivalThrottling{s.enabled, s.threshold, s.cooldownTarget};
    ctx.persistDaemonSetting(QStringLiteral("survival_throttling"), s.toJson());
    return okReply({{QStringLiteral("enabled"), s.enabled}});
}

} // namespace

void addFanCommands(CommandTable& table)
{
    table.add(QStringLiteral("set_fan_mode"), setFanMode);
    table.add(QStringLiteral("set_fan_rpm"), setFanRpm);
    table.add(QStringLiteral("set_fan_config"), setFanConfig);
    table.add(QStringLiteral("set_smart_target_config"), setSmartTargetConfig);
    table.add(QStringLiteral("set_survival_throttling"), setSurvivalThrottling);
}

} // namespace vantrel::sim
