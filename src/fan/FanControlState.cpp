#include "fan/FanControlState.h"

#include <algorithm>
#include <cmath>

#include "base/Preferences.h"
#include "fan/FanCurveMath.h"
#include "fan/FanPresetStore.h"

namespace vantrel {

namespace {

const QString kFanMode = QStringLiteral("fanMode");
const QString kCurrentCurve = QStringLiteral("currentCurve");
const QString kCurrentCurveRight = QStringLiteral("currentCurveRight");
const QString kUnified = QStringLiteral("isUnifiedFanControl");
const QString kSmartAppPreset = QStringLiteral("smartAppPresetEnabled");
const QString kLegacySmartAppPreset = QStringLiteral("llmIntegrationEnabled");
const QString kManualFanSpeed = QStringLiteral("manualFanSpeed");

} // namespace

FanControlState::FanControlState(Preferences& prefs, QObject* parent)
    : QObject(parent)
    , prefs_(prefs)
{
    if (const auto raw = prefs_.optionalString(kFanMode))
        if (const auto mode = fanModeFromRawValue(*raw))
            setFanMode(*mode);
    if (const auto enabled = prefs_.optionalBool(kSmartAppPreset))
        setSmartAppPresetEnabled(*enabled);
    else if (const auto legacy = prefs_.optionalBool(kLegacySmartAppPreset))
        setSmartAppPresetEnabled(*legacy);
    if (const auto speed = prefs_.optionalDouble(kManualFanSpeed); speed && std::isfinite(*speed))
        setManualFanSpeed(*speed);
}

void FanControlState::setFanMode(FanMode mode)
{
    const bool changed = fanMode_ != mode;
    fanMode_ = mode;
    prefs_.setValue(kFanMode, rawValue(mode));
    if (changed)
        Q_EMIT fanModeChanged();
}

void FanControlState::setUnifiedFanControl(bool unified)
{
    const bool changed = isUnifiedFanControl_ != unified;
    isUnifiedFanControl_ = unified;
    prefs_.setValue(kUnified, unified);
    if (changed)
        Q_EMIT isUnifiedFanControlChanged();
}

void FanControlState::setCurrentCurve(const FanCurveSettings& curve)
{
    const bool changed = !(currentCurve_ == curve);
    currentCurve_ = curve;
    if (!isLoadingStoredConfiguration_)
        prefs_.setValue(kCurrentCurve, curve.toJsonBytes());
    if (changed)
        Q_EMIT currentCurveChanged();
}

void FanControlState::setCurrentCurveRight(const FanCurveSettings& curve)
{
    const bool changed = !(currentCurveRight_ == curve);
    currentCurveRight_ = curve;
    if (!isLoadingStoredConfiguration_)
        prefs_.setValue(kCurrentCurveRight, curve.toJsonBytes());
    if (changed)
        Q_EMIT currentCurveRightChanged();
}

void FanControlState::setCurrentProfile(const QString& profile)
{
    if (currentProfile_ == profile)
        return;
    currentProfile_ = profile;
    Q_EMIT currentProfileChanged();
}

void FanControlState::setSmartAppPresetEnabled(bool enabled)
{
    const bool changed = smartAppPresetEnabled_ != enabled;
    smartAppPresetEnabled_ = enabled;
    prefs_.setValue(kSmartAppPreset, enabled);
    if (changed)
        Q_EMIT smartAppPresetEnabledChanged();
}

void FanControlState::setSavedPresets(const std::vector<FanCurveSettings>& presets)
{
    if (savedPresets_ == presets)
        return;
    savedPresets_ = presets;
    Q_EMIT savedPresetsChanged();
}

void FanControlState::setManualFanSpeed(double rpm)
{
    const bool changed = manualFanSpeed_ != rpm;
    manualFanSpeed_ = rpm;
    prefs_.setValue(kManualFanSpeed, rpm);
    if (changed)
        Q_EMIT manualFanSpeedChanged();
}

void FanControlState::setLlmState(LLMState state)
{
    if (llmState_ == state)
        return;
    llmState_ = state;
    Q_EMIT llmStateChanged();
}

void FanControlState::setMacOSFanCurveAnalysis(std::vector<ObservedMacOSFanPoint> samples)
{
    // The summary depends on the samples alone; most ticks hand back the same window.
    if (macOSFanCurveSamples_ == samples)
        return;
    MacOSFanCurveSummary summary(samples);
    macOSFanCurveSamples_ = std::move(samples);
    Q_EMIT macOSFanCurveSamplesChanged();
    if (!(macOSFanCurveSummary_ == summary)) {
        macOSFanCurveSummary_ = std::move(summary);
        Q_EMIT macOSFanCurveSummaryChanged();
    }
}

void FanControlState::setDetectedFanMaxRPM(int rpm)
{
    if (detectedFanMaxRPM_ == rpm)
        return;
    detectedFanMaxRPM_ = rpm;
    Q_EMIT detectedFanMaxRPMChanged();
}

void FanControlState::setTargetFanPercent(double percent)
{
    // NaN never equals itself; treat a repeated NaN as no change.
    if (targetFanPercent_ == percent || (std::isnan(targetFanPercent_) && std::isnan(percent)))
        return;
    targetFanPercent_ = percent;
    Q_EMIT targetFanPercentChanged();
}

void FanControlState::restoreStoredConfiguration(const FanPresetStore& store)
{
    const bool wasLoading = isLoadingStoredConfiguration_;
    isLoadingStoredConfiguration_ = true;
    loadPresets(store);
    isLoadingStoredConfiguration_ = wasLoading;
    loadActiveFanCurves();
}

void FanControlState::loadPresets(const FanPresetStore& store)
{
    setSavedPresets(store.load());
    if (!savedPresets_.empty())
        setCurrentCurve(savedPresets_.front());
}

void FanControlState::loadActiveFanCurves()
{
    if (const auto curve = FanCurveSettings::fromJsonBytes(prefs_.dataValue(kCurrentCurve)))
        setCurrentCurve(*curve);
    if (const auto curve = FanCurveSettings::fromJsonBytes(prefs_.dataValue(kCurrentCurveRight)))
        setCurrentCurveRight(*curve);
    const auto known = [&](const QString& name) {
        return std::any_of(savedPresets_.begin(), savedPresets_.end(),
                           [&](const FanCurveSettings& p) { return p.name == name; });
    };
    if (!known(currentCurve_.name))
        setCurrentCurve(FanCurveSettings::defaultBalanced());
    if (!known(currentCurveRight_.name))
        setCurrentCurveRight(currentCurve_);
}

void FanControlState::updateDisplayedFanTarget(double cpuTemperature)
{
    if (fanMode_ != FanMode::Manual) {
        setTargetFanPercent(0);
        return;
    }
    const double left = calculateInterpolatedFanPercent(cpuTemperature, currentCurve_);
    if (isUnifiedFanControl_) {
        setTargetFanPercent(left);
        return;
    }
    setTargetFanPercent(std::max(left, calculateInterpolatedFanPercent(cpuTemperature, currentCurveRight_)));
}

} // namespace vantrel
