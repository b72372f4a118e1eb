#include "fan/SmartAppPresetSheetModel.h"

#include "daemon/DaemonClient.h"
#include "fan/FanConfigRequest.h"
#include "fan/FanCurveSettings.h"
#include "l10n/L10n.h"

namespace vantrel {

SmartAppPresetSheetModel::SmartAppPresetSheetModel(DaemonClient& client, QObject* parent)
    : QObject(parent)
    , client_(client)
    , actionStatus_(FanStatusLine::make(L10n::key("fan.smart_app.status.default"), StatusTone::Neutral))
{ }

const QStringList& SmartAppPresetSheetModel::launchChoices()
{
    static const QStringList choices{QStringLiteral("Silent"), QStringLiteral("Balanced"),
                                     QStringLiteral("Performance")};
    return choices;
}

const QStringList& SmartAppPresetSheetModel::exitChoices()
{
    static const QStringList choices = launchChoices() + QStringList{QStringLiteral("Auto")};
    return choices;
}

std::vector<SmartAppRule> SmartAppPresetSheetModel::rules() const
{
    return {{QStringLiteral("Final Cut Pro"), QStringLiteral("com.apple.FinalCut"), QStringLiteral("Performance"),
             QStringLiteral("Balanced"), false},
            {QStringLiteral("Xcode"), QStringLiteral("com.apple.dt.Xcode"), QStringLiteral("Performance"),
             QStringLiteral("Silent"), false},
            {QStringLiteral("LM Studio"), QStringLiteral("ai.lmstudio.app"), selectedPreset_, restorePreset_, true}};
}

void SmartAppPresetSheetModel::setSelectedPreset(const QString& preset)
{
    if (preset == selectedPreset_ || !launchChoices().contains(preset))
        return;
    selectedPreset_ = preset;
    Q_EMIT rulesChanged();
}

void SmartAppPresetSheetModel::setRestorePreset(const QString& preset)
{
    if (preset == restorePreset_ || !exitChoices().contains(preset))
        return;
    restorePreset_ = preset;
    Q_EMIT rulesChanged();
}

void SmartAppPresetSheetModel::setIncludePreemptive(bool include)
{
    if (include == includePreemptive_)
        return;
    includePreemptive_ = include;
    Q_EMIT includePreemptiveChanged();
}

void SmartAppPresetSheetModel::setStatus(FanStatusLine status)
{
    if (actionStatus_ == status)
        return;
    actionStatus_ = std::move(status);
    Q_EMIT actionStatusChanged();
}

void SmartAppPresetSheetModel::saveRule()
{
    const auto& performance = FanCurveSettings::defaultPerformance().points;
    const FanConfigRequest request{FanMode::Manual, true, performance, performance, selectedPreset_, true};
    const bool ok = client_.sendOk(request.toJson());
    setStatus(ok ? FanStatusLine::make(L10n::key("fan.smart_app.save_success"), StatusTone::Success)
                 : FanStatusLine::make(L10n::key("fan.smart_app.save_failure"), StatusTone::Failure));
}

void SmartAppPresetSheetModel::addApp()
{
    setStatus(FanStatusLine::make(L10n::key("fan.smart_app.add_app_missing_contract"), StatusTone::Warning));
}

} // namespace vantrel
