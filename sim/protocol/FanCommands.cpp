// Fan commands: modes, fixed speeds, curves, smart targets and the survival throttle.
#include <variant>

#include "base/JsonAccess.h"
#include "sim/protocol/CommandTable.h"
#include "sim/protocol/UserSettings.h"

namespace vantrel::sim {

namespace {

std::optional<QJsonObject> fanControlRefused(const SimContext& ctx, bool needsSafeControl)
{
    const MachineProfile& p = ctx.mac.profile();
    const bool supported = !p.fans.empty() && (needsSafeControl ? p.supportsSafeFanControl : p.supportsSmcFanControl);
    if (supported)
        return std::nullopt;
    return errorReply(QStringLiteral("ERR_FAN_CONTROL_UNSUPPORTED"),
                      QStringLiteral("This Mac's fans cannot be controlled."),
                      {{QStringLiteral("reason"), QStringLiteral("fan_control_unsupported")}});
}

// The index of a fan this Mac has and may drive, or the error reply.
std::variant<int, QJsonObject> fanIndex(const SimContext& ctx, const QJsonObject& request)
{
    if (auto refused = fanControlRefused(ctx, false))
        return *refused;
    const auto index = json::integer(request, QStringLiteral("index"));
    if (!index)
        return invalidArgument(QStringLiteral("index"), QStringLiteral("an integer fan index"));
    if (*index < 0 || *index >= ctx.mac.fans().count())
        return errorReply(QStringLiteral("ERR_INVALID_FAN_INDEX"),
                          QStringLiteral("This Mac has no fan %1.").arg(*index));
    return static_cast<int>(*index);
}

QJsonObject setFanMode(SimContext& ctx, const QJsonObject& request)
{
    const auto index = fanIndex(ctx, request);
    if (const auto* error = std::get_if<QJsonObject>(&index))
        return *error;
    const auto mode = json::string(request, QStringLiteral("mode"));
    if (!mode || (*mode != QLatin1String("auto") && *mode != QLatin1String("manual")))
        return invalidArgument(QStringLiteral("mode"), QStringLiteral("\"auto\" or \"manual\""));
    const int fan = std::get<int>(index);
    ctx.mac.fans().setMode(fan, *mode == QLatin1String("manual") ? FanMode::Manual : FanMode::Auto);
    ctx.mac.recordEvent({QStringLiteral("fan.mode"), QStringLiteral("mode_set"),
                         QStringLiteral("Fan %1 set to %2").arg(fan).arg(*mode), QStringLiteral("app_request"), *mode});
    ctx.persistFan();
    return okReply({{QStringLiteral("index"), fan}, {QStringLiteral("mode"), *mode}});
}

QJsonObject setFanRpm(SimContext& ctx, const QJsonObject& request)
{
    const auto index = fanIndex(ctx, request);
    if (const auto* error = std::get_if<QJsonObject>(&index))
        return *error;
    const auto rpm = json::integer(request, QStringLiteral("rpm"));
    if (!rpm || *rpm < 0 || *rpm > 20000)
        return invalidArgument(QStringLiteral("rpm"), QStringLiteral("an integer speed from 0 to 20000"));
    const int fan = std::get<int>(index);
    ctx.mac.fans().setFixedRpm(fan, static_cast<int>(*rpm));
    const int applied = *ctx.mac.fans().fan(fan).fixedRpm;
    ctx.mac.recordEvent({QStringLiteral("fan.rpm"), QStringLiteral("rpm_set"),
                         QStringLiteral("Fan %1 held at %2 rpm").arg(fan).arg(applied), QStringLiteral("app_request"),
                         QStringLiteral("manual")});
    ctx.persistFan();
    return okReply({{QStringLiteral("index"), fan}, {QStringLiteral("rpm"), applied}});
}

std::optional<FanCurve> checkedCurve(const QJsonObject& request, const QString& key, QJsonObject& error)
{
    auto curve = curveFromWire(request.value(key), false);
    if (!curve) {
        error = invalidArgument(key, QStringLiteral("an array of {\"temp\": number, \"fan\": number}"));
        return std::nullopt;
    }
    for (const auto& p : *curve)
        if (p.temperature < -20 || p.temperature > 150 || p.fanPercent < 0 || p.fanPercent > 100) {
            error = errorReply(
                QStringLiteral("ERR_INVALID_CURVE"),
                QStringLiteral("Curve points need temperatures from -20 to 150 °C and fan percents from 0 to 100."),
                {{QStringLiteral("reason"), QStringLiteral("invalid_%1").arg(key)}});
            return std::nullopt;
        }
    return curve;
}

QJsonObject setFanConfig(SimContext& ctx, const QJsonObject& request)
{
    if (auto refused = fanControlRefused(ctx, true))
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

    FanConfig config{manual, *unified, *left, *right, *preset, *smart};
    ctx.mac.fans().applyConfig(config);
    ctx.mac.recordEvent(
        {QStringLiteral("fan.curve"), QStringLiteral("config_applied"),
         QStringLiteral("Fan preset %1 (%2%3)").arg(*preset, *mode, *unified ? QStringLiteral(", unified") : QString()),
         QStringLiteral("app_request"), *mode});
    ctx.persistFan();
    return okReply({{QStringLiteral("mode"), *mode}, {QStringLiteral("preset_name"), *preset}});
}

QJsonObject setSmartTargetConfig(SimContext& ctx, const QJsonObject& request)
{
    const auto targets = json::object(request, QStringLiteral("targets"));
    if (!targets)
        return invalidArgument(QStringLiteral("targets"), QStringLiteral("an object of temperatures"));
    SmartTargets smart;
    QJsonObject stored;
    for (auto it = targets->begin(); it != targets->end(); ++it) {
        const auto t = json::asDouble(it.value());
        if (!t || *t < 0 || *t > 120)
            return invalidArgument(QStringLiteral("targets"), QStringLiteral("temperatures from 0 to 120"));
        if (it.key() == QLatin1String("CPU"))
            smart.cpu = *t;
        else if (it.key() == QLatin1String("GPU") || it.key() == QLatin1String("VRAM"))
            smart.gpu = std::min(smart.gpu.value_or(*t), *t);
        else if (it.key() == QLatin1String("Memory"))
            smart.memory = *t;
    }
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
    const auto enabled = json::strictBool(request, QStringLiteral("enabled"));
    if (!enabled)
        return invalidArgument(QStringLiteral("enabled"), QStringLiteral("a boolean"));
    const auto threshold = json::number(request, QStringLiteral("threshold"));
    if (!threshold || *threshold < 50 || *threshold > 110)
        return invalidArgument(QStringLiteral("threshold"), QStringLiteral("a temperature from 50 to 110"));
    const auto cooldown = json::number(request, QStringLiteral("cooldown_target"));
    if (!cooldown || *cooldown >= *threshold)
        return invalidArgument(QStringLiteral("cooldown_target"), QStringLiteral("a temperature below the threshold"));
    ctx.mac.survivalThrottling() = SurvivalThrottling{*enabled, *threshold, *cooldown};
    ctx.persistDaemonSetting(QStringLiteral("survival_throttling"),
                             QJsonObject{{QStringLiteral("enabled"), *enabled},
                                         {QStringLiteral("threshold"), *threshold},
                                         {QStringLiteral("cooldown_target"), *cooldown}});
    return okReply({{QStringLiteral("enabled"), *enabled}});
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
