#pragma once
// The published fan state of the central state object: mode, active curves, presets, smart app
// flag, displayed target, language-model activity and the observed stock fan behaviour. It
// restores and stores its own preferences; ThermalManager owns one and forwards to it.
// All reads and writes happen on the main thread.
#include <vector>

#include <QObject>
#include <QString>

#include "fan/FanCurveSettings.h"
#include "fan/FanMode.h"
#include "fan/LLMState.h"
#include "fan/MacOSFanCurveSummary.h"
#include "fan/ObservedMacOSFanPoint.h"

namespace vantrel {

class FanPresetStore;
class Preferences;

class FanControlState : public QObject {
    Q_OBJECT
    Q_PROPERTY(vantrel::FanMode fanMode READ fanMode WRITE setFanMode NOTIFY fanModeChanged)
    Q_PROPERTY(
        bool isUnifiedFanControl READ isUnifiedFanControl WRITE setUnifiedFanControl NOTIFY isUnifiedFanControlChanged)
    Q_PROPERTY(
        vantrel::FanCurveSettings currentCurve READ currentCurve WRITE setCurrentCurve NOTIFY currentCurveChanged)
    Q_PROPERTY(vantrel::FanCurveSettings currentCurveRight READ currentCurveRight WRITE setCurrentCurveRight NOTIFY
                   currentCurveRightChanged)
    Q_PROPERTY(QString currentProfile READ currentProfile WRITE setCurrentProfile NOTIFY currentProfileChanged)
    Q_PROPERTY(bool smartAppPresetEnabled READ smartAppPresetEnabled WRITE setSmartAppPresetEnabled NOTIFY
                   smartAppPresetEnabledChanged)
    Q_PROPERTY(std::vector<vantrel::FanCurveSettings> savedPresets READ savedPresets WRITE setSavedPresets NOTIFY
                   savedPresetsChanged)
    Q_PROPERTY(double targetFanPercent READ targetFanPercent NOTIFY targetFanPercentChanged)
    Q_PROPERTY(double manualFanSpeed READ manualFanSpeed WRITE setManualFanSpeed NOTIFY manualFanSpeedChanged)
    Q_PROPERTY(vantrel::LLMState llmState READ llmState WRITE setLlmState NOTIFY llmStateChanged)
    Q_PROPERTY(std::vector<vantrel::ObservedMacOSFanPoint> macOSFanCurveSamples READ macOSFanCurveSamples NOTIFY
                   macOSFanCurveSamplesChanged)
    Q_PROPERTY(
        vantrel::MacOSFanCurveSummary macOSFanCurveSummary READ macOSFanCurveSummary NOTIFY macOSFanCurveSummaryChanged)
    Q_PROPERTY(int detectedFanMaxRPM READ detectedFanMaxRPM WRITE setDetectedFanMaxRPM NOTIFY detectedFanMaxRPMChanged)

public:
    static constexpr int defaultFanMaxRPM = 6000;

    // Starts from the initial values and restores "fanMode", "smartAppPresetEnabled" (or the
    // older "llmIntegrationEnabled", then stored under the new key) and "manualFanSpeed".
    explicit FanControlState(Preferences& prefs, QObject* parent = nullptr);

    FanMode fanMode() const { return fanMode_; }
    bool isUnifiedFanControl() const { return isUnifiedFanControl_; }
    const FanCurveSettings& currentCurve() const { return currentCurve_; }
    const FanCurveSettings& currentCurveRight() const { return currentCurveRight_; }
    QString currentProfile() const { return currentProfile_; }
    bool smartAppPresetEnabled() const { return smartAppPresetEnabled_; }
    const std::vector<FanCurveSettings>& savedPresets() const { return savedPresets_; }
    double targetFanPercent() const { return targetFanPercent_; }
    double manualFanSpeed() const { return manualFanSpeed_; }
    LLMState llmState() const { return llmState_; }
    const std::vector<ObservedMacOSFanPoint>& macOSFanCurveSamples() const { return macOSFanCurveSamples_; }
    const MacOSFanCurveSummary& macOSFanCurveSummary() const { return macOSFanCurveSummary_; }
    int detectedFanMaxRPM() const { return detectedFanMaxRPM_; }

    // Each setter of a persisted property stores the value on every set, as a change observer would.
    void setFanMode(FanMode mode); // "fanMode"
    void setUnifiedFanControl(bool unified); // "isUnifiedFanControl" (never read back)
    void setCurrentCurve(const FanCurveSettings& curve); // "currentCurve", unless loading stored configuration
    void setCurrentCurveRight(const FanCurveSettings& curve); // "currentCurveRight", same exception
    void setCurrentProfile(const QString& profile);
    void setSmartAppPresetEnabled(bool enabled); // "smartAppPresetEnabled"
    void setSavedPresets(const std::vector<FanCurveSettings>& presets);
    void setManualFanSpeed(double rpm); // "manualFanSpeed"
    void setLlmState(LLMState state);
    // Publishes the observed samples and, when they changed, their summary.
    void setMacOSFanCurveAnalysis(std::vector<ObservedMacOSFanPoint> samples);
    void setDetectedFanMaxRPM(int rpm);

    // Start-up, after construction and before the observation refresh
    // (MacOSFanObserver::refreshMacOSFanCurveAnalysis): loadPresets while the stored configuration
    // is loading, so the first preset it makes current does not overwrite the stored active
    // curve, then loadActiveFanCurves.
    void restoreStoredConfiguration(const FanPresetStore& store);
    // savedPresets = the store's list; its first preset becomes the current curve.
    void loadPresets(const FanPresetStore& store);
    // The stored active curves, falling back to the balanced curve (left) or the left curve
    // (right) when their preset is gone; each assignment is stored.
    void loadActiveFanCurves();

    // Monitoring tick hook (main thread, after the tick stored its readings): sets
    // targetFanPercent from the active curves at the tick's CPU temperature; 0 unless manual.
    void updateDisplayedFanTarget(double cpuTemperature);

Q_SIGNALS:
    void fanModeChanged();
    void isUnifiedFanControlChanged();
    void currentCurveChanged();
    void currentCurveRightChanged();
    void currentProfileChanged();
    void smartAppPresetEnabledChanged();
    void savedPresetsChanged();
    void targetFanPercentChanged();
    void manualFanSpeedChanged();
    void llmStateChanged();
    void macOSFanCurveSamplesChanged();
    void macOSFanCurveSummaryChanged();
    void detectedFanMaxRPMChanged();

private:
    void setTargetFanPercent(double percent);

    Preferences& prefs_;
    FanMode fanMode_ = FanMode::Auto;
    bool isUnifiedFanControl_ = true;
    FanCurveSettings currentCurve_ = FanCurveSettings::defaultBalanced();
    FanCurveSettings currentCurveRight_ = FanCurveSettings::defaultBalanced();
    QString currentProfile_ = QStringLiteral("Balanced");
    bool smartAppPresetEnabled_ = false;
    std::vector<FanCurveSettings> savedPresets_;
    double targetFanPercent_ = 0;
    double manualFanSpeed_ = 2500.0;
    LLMState llmState_ = LLMState::Idle;
    std::vector<ObservedMacOSFanPoint> macOSFanCurveSamples_;
    MacOSFanCurveSummary macOSFanCurveSummary_;
    int detectedFanMaxRPM_ = defaultFanMaxRPM;
    // While set, changes of the active curves are not written to the preferences.
    bool isLoadingStoredConfiguration_ = false;
};

} // namespace vantrel
