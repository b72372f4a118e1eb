// Fan commands on hwmon PWM: modes, fixed speeds and curves where control is known to be safe;
// smart targets and the survival throttle are stored for the policies that read them.
#include <variant>

#include "base/JsonAccess.h"
#include "daemonserver/Replies.h"
#include "node/daemon/NodeCommands.h"

namespace vantrel::node {

using daemonserver::errorReply;
using daemonserver::invalidArgument;
using daemonserver::okReply;

namespace {

std::optional<QJsonObject> fanControlRefused(const NodeContext& ctx)
{
    if (ctx.fans.supportsSafeControl())
        return std::nullopt;
    return errorReply(QStringLiteral("ERR_FAN_CONTROL_UNSUPPORTED"),
                      QStringLiteral("This machine's fans are read-only: manual control is not known to be safe here."),
                      {{QStringLiteral("reason"), QStringLiteral("fan_control_unsupported")}});
}

std::variant<int, QJsonObject> fanIndex(const NodeContext& ctx, const QJsonObject& request)
{
    if (auto refused = fanControlRefused(ctx))
        return *refused;
    const auto index = json::integer(request, QStringLiteral("index"));
    if (!index)
        return invalidArgument(QStringLiteral("index"), QStringLiteral("an integer fan index"));
    if (*index < 0 || !ctx.fans.canControl(static_cast<int>(*index)))
        return errorReply(QStringLiteral("ERR_INVALID_FAN_INDEX"),
                          QStringLiteral("There is no controllable fan %1.").arg(*index));
    return static_cast<int>(*index);
}

QJsonObject setFanMode(NodeContext& ctx, const QJsonObject& request)
{
    const auto index = fanIndex(ctx, request);
    if (const auto* error = std::get_if<QJsonObject>(&index))
        return *error;
    const auto mode = json::string(request, QStringLiteral("mode"));
    if (!mode || (*mode != QLatin1String("auto") && *mode != QLatin1String("manual")))
        return invalidArgument(QStringLiteral("mode"), QStringLiteral("\"auto\" or \"manual\""));
    const int fan = std::get<int>(index);
    if (*mode == QLatin1String("auto")) {
        ctx.fanPolicy.setAutomatic(fan);
    } else if (!ctx.fanPolicy.customPolicyActive()) {
        // Manual without a speed holds the fan where it runs now.
        for (const FanReading& f : ctx.fanReadings())
            if (f.index == fan && f.rpm >= 0)
                ctx.fanPolicy.setFixedRpm(fan, f.rpm);
    }
    ctx.event(QStringLiteral("fan.mode"), QStringLiteral("mode_set"),
              QStringLiteral("Fan %1 set to %2").arg(fan).arg(*mode), QStringLiteral("app_request"), *mode);
    ctx.persistFan();
    ctx.tick();
    return okReply({{QStringLiteral("index"), fan}, {QStringLiteral("mode"), *mode}});
}

QJsonObject setFanRpm(NodeContext& ctx, const QJsonObject& request)
{
    const auto index = fanIndex(ctx, request);
    if (const auto* error = std::get_if<QJsonObject>(&index))
        return *error;
    const auto rpm = json::integer(request, QStringLiteral("rpm"));
    if (!rpm || *rpm < 0 || *rpm > 20000)
        return invalidArgument(QStringLiteral("rpm"), QStringLiteral("an integer speed from 0 to 20000"));
    const int fan = std::get<int>(index);
    if (!ctx.fanPolicy.setFixedRpm(fan, static_cast<int>(*rpm)))
        return errorReply(
            QStringLiteral("ERR_FAN_RPM_UNSUPPORTED"),
            QStringLiteral("Fan %1 does not report its maximum speed, so a speed cannot be set.").arg(fan));
    ctx.event(QStringLiteral("fan.rpm"), QStringLiteral("rpm_set"),
              QStringLiteral("Fan %1 held at %2 rpm").arg(fan).arg(*rpm), QStringLiteral("app_request"),
              QStringLiteral("manual"));
    ctx.tick();
    return okReply({{QStringLiteral("index"), fan}, {QStringLiteral("rpm"), static_cast<int>(*rpm)}});
}

std::optional<FanCurve> checkedCurve(const QJsonObject& request, const QString& key, QJsonObject& error)
{
    const QJsonValue value = request.value(key);
    FanCurve curve;
    bool wellFormed = value.isArray();
    for (const auto& v : value.toArray()) {
        const auto temp = json::asDouble(v.toObject().value(QStringLiteral("temp")));
        const auto fan = json::asDouble(v.toObject().value(QStringLiteral("fan")));
        if (!v.isObject() || !temp || !fan) {
            wellFormed = false;
            break;
        }
        curve.push_back({*temp, *fan});
    }
    if (!wellFormed) {
        error = invalidArgument(key, QStringLiteral("an array of {\"temp\": number, \"fan\": number}"));
        return std::nullopt;
    }
    for (const auto& p : curve)
        if (p.temperature < -20 || p.temperature > 150 || p.fanPercent < 0 || p.fanPercent > 100) {
            error = errorReply(
                QStringLiteral("ERR_INVALID_CURVE"),
                QStringLiteral("Curve points need temperatures from -20 to 150 °C and fan percents from 0 to 100."),
                {{QStringLiteral("reason"), QStringLiteral("invalid_%1").arg(key)}});
            return std::nullopt;
        }
    return curve;
}

QJsonObject setFanConfig(NodeContext& ctx, const QJsonObject& request)
{
    if (auto refused = fanControlRefused(ctx))
        return *refused;
    const auto mode = json::string(request, QStringLiteral("mode"));
    if (!mode || (*mode != QLatin1String("auto") && *mode != QLatin1String("manual")))
        return invalidArgument(QStringLiteral("mode"), QStringLiteral("\"auto\" or \"manual\""));
    const auto unified = json::strictBool(request, QStringLiteral("unified"));
    if (!unified)
        return invalidArgument(QStringLiteral("unified"), QStringLiteral("a boolean"));
    const auto preset = json::string(request, QStringLiteral("preset_name"));
    if (!preset)
        return invalidArgument(QStringLiteral("preset_name"), QStringLiteral("a string"));
    const auto smart = json::strictBool(request, QStringLiteral("smart_app_preset"));
    if (!smart)
        return invalidArgument(QStringLiteral("smart_app_preset"), QStringLiteral("a boolean"));
    QJsonObject error;
    const auto left = checkedCurve(request, QStringLiteral("left_points"), error);
    if (!left)
        return error;
    const auto right = checkedCurve(request, QStringLiteral("right_points"), error);
    if (!right)
        return error;
    const bool manual = *mode == QLatin1String("manual");
    if (manual && (left->empty() || (!*unified && right->empty())))
        return errorReply(QStringLiteral("ERR_INVALID_CURVE"),
                          QStringLiteral("A manual fan configuration needs curve points."),
                          {{QStringLiteral("reason"), QStringLiteral("empty_curve")}});
    ctx.fanPolicy.configure(FanSettings{manual, *unified, *left, *right, *preset, *smart, {}});
    ctx.event(QStringLiteral("fan.curve"), QStringLiteral("config_applied"),
              QStringLiteral("Fan preset %1 (%2)").arg(*preset, *mode), QStringLiteral("app_request"), *mode);
    ctx.persistFan();
    ctx.tick();
    return okReply({{QStringLiteral("mode"), *mode}, {QStringLiteral("preset_name"), *preset}});
}

QJsonObject setSmartTargetConfig(NodeContext& ctx, const QJsonObject& request)
{
    const auto targets = json::object(request, QStringLiteral("targets"));
    if (!targets)
        return invalidArgument(QStringLiteral("targets"), QStringLiteral("an object of temperatures"));
    for (auto it = targets->begin(); it != targets->end(); ++it) {
        const auto t = json::asDouble(it.value());
        if (!t || *t < 0 || *t > 120)
            return invalidArgument(QStringLiteral("targets"), QStringLiteral("temperatures from 0 to 120"));
    }
    ctx.smartTargets = *targets;
    ctx.daemonSettings.storeSection(QStringLiteral("smart_targets"), *targets,
                                    ctx.clock.now().toMSecsSinceEpoch() / 1000.0);
    return okReply();
}

QJsonObject setSurvivalThrottling(NodeContext& ctx, const QJsonObject& request)
{
    const auto enabled = json::strictBool(request, QStringLiteral("enabled"));
    const auto threshold = json::number(request, QStringLiteral("threshold"));
    const auto cooldown = json::number(request, QStringLiteral("cooldown_target"));
    if (!enabled)
        return invalidArgument(QStringLiteral("enabled"), QStringLiteral("a boolean"));
    if (!threshold || *threshold < 50 || *threshold > 110)
        return invalidArgument(QStringLiteral("threshold"), QStringLiteral("a temperature from 50 to 110"));
    if (!cooldown || *cooldown >= *threshold)
        return invalidArgument(QStringLiteral("cooldown_target"), QStringLiteral("a temperature below the threshold"));
    ctx.survivalThrottling = QJsonObject{{QStringLiteral("enabled"), *enabled},
                                         {QStringLiteral("threshold"), *threshold},
                                         {QStringLiteral("cooldown_target"), *cooldown}};
    ctx.daemonSettings.storeSection(QStringLiteral("survival_throttling"), ctx.survivalThrottling,
                                    ctx.clock.now().toMSecsSinceEpoch() / 1000.0);
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
