#include "daemonserver/FanRequests.h"

#include "base/JsonAccess.h"
#include "daemonserver/FanCurveJson.h"
#include "daemonserver/Replies.h"

namespace vantrel::daemonserver {

namespace {

std::optional<FanCurve> checkedCurve(const QJsonObject& request, const QString& key, QJsonObject& error)
{
    auto curve = curveFromJson(request.value(key), CurveForm::Request);
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

std::variant<int, QJsonObject> fanIndex(const QJsonObject& request, const FanChecks& fans)
{
    if (fans.refusal)
        return *fans.refusal;
    const auto index = json::integer(request, QStringLiteral("index"));
    if (!index)
        return invalidArgument(QStringLiteral("index"), QStringLiteral("an integer fan index"));
    if (*index < 0 || !fans.hasFan(*index))
        return errorReply(QStringLiteral("ERR_INVALID_FAN_INDEX"), fans.noFanMessage.arg(*index));
    return static_cast<int>(*index);
}

std::variant<QString, QJsonObject> fanMode(const QJsonObject& request)
{
    const auto mode = json::string(request, QStringLiteral("mode"));
    if (!mode || (*mode != QLatin1String("auto") && *mode != QLatin1String("manual")))
        return invalidArgument(QStringLiteral("mode"), QStringLiteral("\"auto\" or \"manual\""));
    return *mode;
}

} // namespace

QJsonObject fanControlUnsupported(const QString& message)
{
    return errorReply(QStringLiteral("ERR_FAN_CONTROL_UNSUPPORTED"), message,
                      {{QStringLiteral("reason"), QStringLiteral("fan_control_unsupported")}});
}

std::variant<FanModeRequest, QJsonObject> parseFanModeRequest(const QJsonObject& request, const FanChecks& fans)
{
    const auto fan = fanIndex(request, fans);
    if (const auto* error = std::get_if<QJsonObject>(&fan))
        return *error;
    const auto mode = fanMode(request);
    if (const auto* error = std::get_if<QJsonObject>(&mode))
        return *error;
    return FanModeRequest{std::get<int>(fan), std::get<QString>(mode)};
}

std::variant<FanRpmRequest, QJsonObject> parseFanRpmRequest(const QJsonObject& request, const FanChecks& fans)
{
    const auto fan = fanIndex(request, fans);
    if (const auto* error = std::get_if<QJsonObject>(&fan))
        return *error;
    const auto rpm = json::integer(request, QStringLiteral("rpm"));
    if (!rpm || *rpm < 0 || *rpm > 20000)
        return invalidArgument(QStringLiteral("rpm"), QStringLiteral("an integer speed from 0 to 20000"));
    return FanRpmRequest{std::get<int>(fan), static_cast<int>(*rpm)};
}

std::variant<FanConfig, QJsonObject> parseFanConfigRequest(const QJsonObject& request)
{
    const auto mode = fanMode(request);
    if (const auto* error = std::get_if<QJsonObject>(&mode))
        return *error;
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
    const bool manual = std::get<QString>(mode) == QLatin1String("manual");
    if (manual && (left->empty() || (!*unified && right->empty())))
        return errorReply(QStringLiteral("ERR_INVALID_CURVE"),
                          QStringLiteral("A manual fan configuration needs curve points."),
                          {{QStringLiteral("reason"), QStringLiteral("empty_curve")}});
    return FanConfig{manual, *unified, *left, *right, *preset, *smart};
}

QString fanModeName(bool manual) { return manual ? QStringLiteral("manual") : QStringLiteral("auto"); }

QJsonObject fanModeReply(int fan, const QString& mode)
{
    return okReply({{QStringLiteral("index"), fan}, {QStringLiteral("mode"), mode}});
}

QJsonObject fanRpmReply(int fan, int rpm)
{
    return okReply({{QStringLiteral("index"), fan}, {QStringLiteral("rpm"), rpm}});
}

QJsonObject fanConfigReply(const FanConfig& config)
{
    return okReply(
        {{QStringLiteral("mode"), fanModeName(config.manual)}, {QStringLiteral("preset_name"), config.presetName}});
}

} // namespace vantrel::daemonserver
