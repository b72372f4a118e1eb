// Fan commands on hwmon PWM: modes, fixed speeds and curves where control is known to be safe;
// smart targets and the survival throttle are stored for the policies that read them.
#include <variant>

#include "daemonserver/CoolingRequests.h"
#include "daemonserver/FanRequests.h"
#include "daemonserver/Replies.h"
#include "node/daemon/NodeCommands.h"

namespace vantrel::node {

using daemonserver::errorReply;
using daemonserver::okReply;

namespace {

std::optional<QJsonObject> fanControlRefused(const NodeContext& ctx)
{
    if (ctx.fans.supportsSafeControl())
        return std::nullopt;
    return daemonserver::fanControlUnsupported(
        QStringLiteral("This machine's fans are read-only: manual control is not known to be safe here."));
}

daemonserver::FanChecks fanChecks(const NodeContext& ctx)
{
    return {fanControlRefused(ctx), [&ctx](qint64 index) { return ctx.fans.canControl(static_cast<int>(index)); },
            QStringLiteral("There is no controllable fan %1.")};
}

QJsonObject setFanMode(NodeContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseFanModeRequest(request, fanChecks(ctx));
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& [fan, mode] = std::get<daemonserver::FanModeRequest>(parsed);
    if (mode == QLatin1String("auto")) {
        ctx.fanPolicy.setAutomatic(fan);
    } else if (!ctx.fanPolicy.customPolicyActive()) {
        // Manual without a speed holds the fan where it runs now.
        for (const FanReading& f : ctx.fanReadings())
            if (f.index == fan && f.rpm >= 0)
                ctx.fanPolicy.setFixedRpm(fan, f.rpm);
    }
    ctx.event(QStringLiteral("fan.mode"), QStringLiteral("mode_set"),
              QStringLiteral("Fan %1 set to %2").arg(fan).arg(mode), QStringLiteral("app_request"), mode);
    ctx.persistFan();
    ctx.tick();
    return daemonserver::fanModeReply(fan, mode);
}

QJsonObject setFanRpm(NodeContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseFanRpmRequest(request, fanChecks(ctx));
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& [fan, rpm] = std::get<daemonserver::FanRpmRequest>(parsed);
    if (!ctx.fanPolicy.setFixedRpm(fan, rpm))
        return errorReply(
            QStringLiteral("ERR_FAN_RPM_UNSUPPORTED"),
            QStringLiteral("Fan %1 does not report its maximum speed, so a speed cannot be set.").arg(fan));
    ctx.event(QStringLiteral("fan.rpm"), QStringLiteral("rpm_set"),
              QStringLiteral("Fan %1 held at %2 rpm").arg(fan).arg(rpm), QStringLiteral("app_request"),
              QStringLiteral("manual"));
    ctx.tick();
    return daemonserver::fanRpmReply(fan, rpm);
}

QJsonObject setFanConfig(NodeContext& ctx, const QJsonObject& request)
{
    if (auto refused = fanControlRefused(ctx))
        return *refused;
    const auto parsed = daemonserver::parseFanConfigRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& config = std::get<daemonserver::FanConfig>(parsed);
    const QString mode = daemonserver::fanModeName(config.manual);
    ctx.fanPolicy.configure(config);
    ctx.event(QStringLiteral("fan.curve"), QStringLiteral("config_applied"),
              QStringLiteral("Fan preset %1 (%2)").arg(config.presetName, mode), QStringLiteral("app_request"), mode);
    ctx.persistFan();
    ctx.tick();
    return daemonserver::fanConfigReply(config);
}

QJsonObject setSmartTargetConfig(NodeContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseSmartTargetsRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    ctx.smartTargets = std::get<daemonserver::SmartTargetsRequest>(parsed).targets;
    ctx.storeDaemonSetting(QStringLiteral("smart_targets"), ctx.smartTargets);
    return okReply();
}

QJsonObject setSurvivalThrottling(NodeContext& ctx, const QJsonObject& request)
{
    const auto parsed = daemonserver::parseSurvivalThrottlingRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    ctx.survivalThrottling = std::get<daemonserver::SurvivalThrottlingRequest>(parsed).toJson();
    ctx.storeDaemonSetting(QStringLiteral("survival_throttling"), ctx.survivalThrottling);
    return okReply();
}

} // namespace

void addNodeFanCommands(NodeCommandTable& table)
{
    table.add(QStringLiteral("set_fan_mode"), setFanMode);
    table.add(QStringLiteral("set_fan_rpm"), setFanRpm);
    table.add(QStringLiteral("set_fan_config"), setFanConfig);
    table.add(QStringLiteral("set_smart_target_config"), setSmartTargetConfig);
    table.add(QStringLiteral("set_survival_throttling"), setSurvivalThrottling);
}

} // namespace vantrel::node
