#include "power/HeatProtectionAlertCenter.h"

#include <algorithm>
#include <cmath>

#include "base/JsonAccess.h"
#include "l10n/L10n.h"
#include "power/HeatWarningFigures.h"

namespace vantrel {
namespace {

constexpr qint64 episodeSeconds = 180;

// Whole degrees toward zero, kept in range for absurd readbacks.
qint64 truncatedDegrees(double t)
{
    if (!std::isfinite(t))
        return 0;
    return static_cast<qint64>(std::clamp(std::trunc(t), -1.0e15, 1.0e15));
}

} // namespace

HeatProtectionAlertCenter::HeatProtectionAlertCenter(std::function<double()> storedMaxBatteryTemp)
    : storedMaxBatteryTemp_(std::move(storedMaxBatteryTemp))
{ }

std::optional<HeatProtectionAlertPayload> HeatProtectionAlertCenter::alert(HeatProtectionAlertSurface surface,
                                                                           const QJsonObject& power)
{
    if (json::strictBool(power, QStringLiteral("heat_protection_active")).value_or(false))
        return activeAlert(surface, power);
    return warningAlert(surface, power);
}

std::optional<HeatProtectionAlertPayload> HeatProtectionAlertCenter::activeAlert(HeatProtectionAlertSurface surface,
                                                                                 const QJsonObject& power)
{
    if (!observedActive_) {
        observedActive_ = true;
        ++activeCycleToken_;
        shownActiveSurfaces_.clear();
    }
    if (auto shown = shownActiveSurfaces_.find(surface);
        shown != shownActiveSurfaces_.end() && shown->second == activeCycleToken_)
        return std::nullopt;
    shownActiveSurfaces_[surface] = activeCycleToken_;

    const qint64 remaining = std::max<qint64>(
        0, json::integer(power, QStringLiteral("heat_protection_remaining_seconds")).value_or(episodeSeconds));
    const double threshold = json::number(power, QStringLiteral("max_battery_temp"))
                                 .value_or(storedMaxBatteryTemp_ ? storedMaxBatteryTemp_() : 35.0);
    const QString degrees = QString::number(truncatedDegrees(threshold));
    const QString seconds = QString::number(remaining);
    return HeatProtectionAlertPayload{
        QStringLiteral("heat-active-") + rawValue(surface) + QLatin1Char('-') + QString::number(activeCycleToken_),
        QStringLiteral("열 보호 모드 작동"),
        QStringLiteral("배터리 온도가 ") + degrees
            + QStringLiteral("°C 기준을 넘어 3분 동안 전원을 차단하고 팬을 강하게 돌립니다. 남은 시간은 약 ") + seconds
            + QStringLiteral("초입니다. 완료되면 기존 팬 프리셋으로 복귀합니다."),
        L10n::key("heat.alert.active.message"),
        {degrees, seconds},
    };
}

std::optional<HeatProtectionAlertPayload> HeatProtectionAlertCenter::warningAlert(HeatProtectionAlertSurface surface,
                                                                                  const QJsonObject& power)
{
    if (observedActive_) {
        observedActive_ = false;
        shownActiveSurfaces_.clear();
    }
    const QString warning = json::string(power, QStringLiteral("heat_protection_warning_message")).value_or(QString());
    if (warning.isEmpty()) {
        shownWarningSurfaces_.erase(surface);
        return std::nullopt;
    }
    const auto percent = json::integer(power, QStringLiteral("battery_percent"));
    const QString key = warning + QLatin1Char('|') + (percent ? QString::number(*percent) : QStringLiteral("unknown"));
    if (auto shown = shownWarningSurfaces_.find(surface); shown != shownWarningSurfaces_.end() && shown->second == key)
        return std::nullopt;
    shownWarningSurfaces_[surface] = key;
    HeatProtectionAlertPayload payload{QStringLiteral("heat-warning-") + rawValue(surface) + QLatin1Char('-') + key,
                                       QStringLiteral("히트 프로텍션 경고"),
                                       warning,
                                       {},
                                       {}};
    // A warning near the limit is rebuilt from its figures so that every language keeps them;
    // any other warning is shown as the daemon sent it.
    const std::optional<double> stored = storedMaxBatteryTemp_ ? std::optional(storedMaxBatteryTemp_()) : std::nullopt;
    if (const auto figures = HeatWarningFigures::read(warning, power, stored)) {
        const QString limit = HeatWarningFigures::figure(figures->limit);
        if (figures->batteryTemperature) {
            payload.messageKey = L10n::key("heat.alert.warning.message");
            payload.messageArguments = {HeatWarningFigures::figure(*figures->batteryTemperature), limit};
        } else {
            payload.messageKey = L10n::key("heat.alert.warning.near_limit");
            payload.messageArguments = {limit};
        }
    }
    return payload;
}

} // namespace vantrel
