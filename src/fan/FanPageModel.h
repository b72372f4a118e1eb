#pragma once
// The fan screen's model: which mode and preset card are selected, the curve editor's draft,
// the custom presets, and the operations the screen's controls call. Every operation runs on
// the main thread and waits for the daemon's reply (at most five seconds).
#include <functional>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>
#include <QUuid>

#include "fan/FanCurveSettings.h"
#include "fan/FanMode.h"
#include "fan/FanStatusLine.h"

namespace vantrel {

class FanConfigurationApplier;
class FanControlState;
class FanPresetStore;

// The editor's three movable points; the anchors (0, 0) and (100, 100) are fixed.
struct DraftBands {
    double currentBandTemperature = 45;
    double currentBandFanPercent = 35;
    double workBandTemperature = 60;
    double workBandFanPercent = 55;
    double highBandTemperature = 78;
    double highBandFanPercent = 78;
    bool operator==(const DraftBands&) const = default;
};

class FanPageModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(int selectedFanMode READ selectedFanMode NOTIFY selectionChanged)
    Q_PROPERTY(int selectedPreset READ selectedPreset NOTIFY selectionChanged)
    Q_PROPERTY(QUuid selectedCustomPresetID READ selectedCustomPresetID NOTIFY selectionChanged)
    Q_PROPERTY(std::vector<vantrel::FanCurveSettings> customPresets READ customPresets NOTIFY customPresetsChanged)
    Q_PROPERTY(QString customPresetName READ customPresetName WRITE setCustomPresetName NOTIFY customPresetNameChanged)
    Q_PROPERTY(vantrel::DraftBands draftBands READ draftBands WRITE setDraftBands NOTIFY draftBandsChanged)
    Q_PROPERTY(vantrel::FanStatusLine applyStatus READ applyStatus NOTIFY applyStatusChanged)

public:
    // Card ids of the fan screen.
    static constexpr int macOSDefaultCard = 1; // "state.macos_default"
    static constexpr int curveControlCard = 2; // "feature.fan.vantrel_curve_control"
    static constexpr int silentCard = 8; // "curve_silent"
    static constexpr int balancedCard = 9; // "curve_balance"
    static constexpr int performanceCard = 10; // "curve_performance"
    static constexpr int noPresetCard = 11; // nothing highlighted
    static constexpr size_t maxCustomPresets = 3;

    // The applier sends the screen's choices and answers whether fan controls are available.
    FanPageModel(FanControlState& state, const FanPresetStore& store, FanConfigurationApplier& applier,
                 QObject* parent = nullptr);

    int selectedFanMode() const { return selectedFanMode_; }
    int selectedPreset() const { return selectedPreset_; }
    QUuid selectedCustomPresetID() const { return selectedCustomPresetID_; } // null when none
    const std::vector<FanCurveSettings>& customPresets() const { return customPresets_; }
    QString customPresetName() const { return customPresetName_; }
    const DraftBands& draftBands() const { return draftBands_; }
    const FanStatusLine& applyStatus() const { return applyStatus_; }
    bool fanControlsAvailable() const;

    void setCustomPresetName(const QString& name);
    void setDraftBands(const DraftBands& bands);
    void selectCustomPreset(const QUuid& id);

    // The built-in curve of a preset card: 10 performance, 8 silent, anything else balanced.
    static const FanCurveSettings& builtInCurveForCard(int id);

    // Re-derives the selection and the editor from the central state (when the screen appears).
    void syncSelectionFromManager();
    // Loads curve into the editor (editor normalisation).
    void syncDraftControls(const FanCurveSettings& curve);
    // (0, 0), the three editor points, (100, 100), normalised for the editor, under name with a fresh id.
    FanCurveSettings draftCurve(const QString& name) const;
    // The selected custom preset, else the one named like the trimmed name field, else none.
    std::optional<FanCurveSettings> matchingCustomPreset() const;

    // Applying: each stores the choice in the central state, sends "set_fan_config" and sets the status line.
    void applyFanSelection(FanMode mode, const FanCurveSettings& curve, const QString& presetName,
                           const StatusLabel& statusLabel);
    void applyOperatingMode(int id);
    void applyPreset(int id);
    void applyCustomPreset(const FanCurveSettings& preset);
    void applyLiveDraftCurveFromTop();

    // Custom presets, each on a fresh load of the preset file; at most three are kept.
    void reloadCustomPresets();
    void saveDraftAsNewPreset();
    void updateSelectedPreset();
    void deleteSelectedPreset();

Q_SIGNALS:
    void selectionChanged();
    void customPresetsChanged();
    void customPresetNameChanged();
    void draftBandsChanged();
    void applyStatusChanged();

private:
    // Steps shared by every apply; false when fan controls are unavailable or the daemon refused.
    bool sendSelection(FanMode mode, const FanCurveSettings& curve, const QString& presetName);
    void setStatus(FanStatusLine status);
    void setSelection(int fanMode, int preset, const QUuid& customPreset);
    // False when the preset file could not be written (the failure is on the status line).
    bool saveCustomList(std::vector<FanCurveSettings> custom);
    // Saves the editor's draft under name in place of any custom preset of that name (and of
    // replacing, by id or name), keeps the newest three and selects the draft.
    void storeDraftAs(const QString& name, const std::optional<FanCurveSettings>& replacing, const QString& statusKey);

    FanControlState& state_;
    const FanPresetStore& store_;
    FanConfigurationApplier& applier_;

    int selectedFanMode_ = macOSDefaultCard;
    int selectedPreset_ = balancedCard;
    QUuid selectedCustomPresetID_;
    std::vector<FanCurveSettings> customPresets_;
    QString customPresetName_;
    DraftBands draftBands_;
    FanStatusLine applyStatus_;
};

} // namespace vantrel
