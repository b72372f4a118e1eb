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

} // namespace

QJsonObject fanControlUnsupported(const QString& message)
{
    return errorReply(QStringLiteral("ERR_FAN_CONTROL_UNSUPPORTED"), message,
                      {{QStringLiteral("reason"), QStringLiteral("fan_control_unsupported")}});
}

std::variant<int, QJsonObject> requestedFanIndex(const QJsonObject& request, const std::function<bool(qint64)>& hasFan,
                                                 const QString& noFanMessage)
{
    const auto index = json::integer(request, QStringLiteral("index"));
    if (!index)
        return invalidArgument(QStringLiteral("index"), QStringLiteral("an integer fan index"));
    if (*index < 0 || !hasFan(*index))
        return errorReply(QStringLiteral("ERR_INVALID_FAN_INDEX"), noFanMessage.arg(*index));
    return static_cast<int>(*index);
}

std::variant<QString, QJsonObject> requestedFanMode(const QJsonObject& request)
{
    const auto mode = json::string(request, QStringLiteral("mode"));
    if (!mode || (*mode != QLatin1String("auto") && *mode != QLatin1String("manual")))
        return invalidArgument(QStringLiteral("mode"), QStringLiteral("\"auto\" or \"manual\""));
    return *mode;
}

std::variant<int, QJsonObject> requestedFanRpm(const QJsonObject& request)
{
    const auto rpm = json::integer(request, QStringLiteral("rpm"));
    if (!rpm || *rpm < 0 || *rpm > 20000)
        return invalidArgument(QStringLiteral("rpm"), QStringLiteral("an integer speed from 0 to 20000"));
    return static_cast<int>(*rpm);
}

std::variant<FanConfig, QJsonObject> parseFanConfigRequest(const QJsonObject& request)
{
    const auto mode = requestedFanMode(request);
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
