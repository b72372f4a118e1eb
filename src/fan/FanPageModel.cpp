#include "fan/FanPageModel.h"

#include <algorithm>

#include "fan/FanConfigRequest.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "fan/FanCurveMath.h"
#include "fan/FanPresetStore.h"
#include "l10n/L10n.h"

namespace vantrel {

FanPageModel::FanPageModel(FanControlState& state, const FanPresetStore& store, FanConfigurationApplier& applier,
                           QObject* parent)
    : QObject(parent)
    , state_(state)
    , store_(store)
    , applier_(applier)
{ }

bool FanPageModel::fanControlsAvailable() const { return applier_.fanControlsAvailable(); }

void FanPageModel::setCustomPresetName(const QString& name)
{
    if (customPresetName_ == name)
        return;
    customPresetName_ = name;
    Q_EMIT customPresetNameChanged();
}

void FanPageModel::setDraftBands(const DraftBands& bands)
{
    if (draftBands_ == bands)
        return;
    draftBands_ = bands;
    Q_EMIT draftBandsChanged();
}

void FanPageModel::selectCustomPreset(const QUuid& id) { setSelection(selectedFanMode_, selectedPreset_, id); }

void FanPageModel::setSelection(int fanMode, int preset, const QUuid& customPreset)
{
    if (selectedFanMode_ == fanMode && selectedPreset_ == preset && selectedCustomPresetID_ == customPreset)
        return;
    selectedFanMode_ = fanMode;
    selectedPreset_ = preset;
    selectedCustomPresetID_ = customPreset;
    Q_EMIT selectionChanged();
}

void FanPageModel::setStatus(FanStatusLine status)
{
    if (applyStatus_ == status)
        return;
    applyStatus_ = std::move(status);
    Q_EMIT applyStatusChanged();
}

const FanCurveSettings& FanPageModel::builtInCurveForCard(int id)
{
    if (id == performanceCard)
        return FanCurveSettings::defaultPerformance();
    if (id == silentCard)
        return FanCurveSettings::defaultSilent();
    return FanCurveSettings::defaultBalanced();
}

void FanPageModel::syncSelectionFromManager()
{
    reloadCustomPresets();
    const FanCurveSettings& curve = state_.currentCurve();
    if (state_.fanMode() == FanMode::Auto) {
        setSelection(macOSDefaultCard, noPresetCard, QUuid());
    } else {
        const int preset = curve.name == QLatin1String("curve_silent") ? silentCard
            : curve.name == QLatin1String("curve_performance")         ? performanceCard
                                                                       : balancedCard;
        QUuid custom;
        for (const auto& p : customPresets_)
            if (p.name == curve.name) {
                custom = p.id;
                break;
            }
        setSelection(curveControlCard, preset, custom);
    }
    syncDraftControls(curve);
}

void FanPageModel::syncDraftControls(const FanCurveSettings& curve)
{
    const auto points = normalizedCurvePoints(curve.points);
    setDraftBands({points[1].temperature, points[1].fanPercent, points[2].temperature, points[2].fanPercent,
                   points[3].temperature, points[3].fanPercent});
}

FanCurveSettings FanPageModel::draftCurve(const QString& name) const
{
    const DraftBands& b = draftBands_;
    FanCurveSettings draft;
    draft.name = name;
    draft.points = normalizedCurvePoints(
        {CurvePoint::make(0, 0), CurvePoint::make(b.currentBandTemperature, b.currentBandFanPercent),
         CurvePoint::make(b.workBandTemperature, b.workBandFanPercent),
         CurvePoint::make(b.highBandTemperature, b.highBandFanPercent), CurvePoint::make(100, 100)});
    return draft;
}

std::optional<FanCurveSettings> FanPageModel::matchingCustomPreset() const
{
    if (!selectedCustomPresetID_.isNull())
        for (const auto& p : customPresets_)
            if (p.id == selectedCustomPresetID_)
                return p;
    const QString name = customPresetName_.trimmed();
    if (!name.isEmpty())
        for (const auto& p : customPresets_)
            if (p.name == name)
                return p;
    return std::nullopt;
}

bool FanPageModel::sendSelection(FanMode mode, const FanCurveSettings& curve, const QString& presetName)
{
    syncDraftControls(curve);
    state_.setCurrentProfile(presetName);
    state_.setCurrentCurve(curve);
    state_.setCurrentCurveRight(curve);
    state_.setUnifiedFanControl(true);
    state_.setFanMode(mode);
    // The choice stays in the central state even when the daemon refuses it.
    FanConfigRequest request{mode, true, curve.points, curve.points, presetName, state_.smartAppPresetEnabled()};
    return applier_.sendNow(request);
}

void FanPageModel::applyFanSelection(FanMode mode, const FanCurveSettings& curve, const QString& presetName,
                                     const StatusLabel& statusLabel)
{
    if (!fanControlsAvailable())
        return;
    const bool ok = sendSelection(mode, curve, presetName);
    setStatus(ok ? FanStatusLine::make(L10n::key("fan.status.apply_success_named"), StatusTone::Success, statusLabel)
                 : FanStatusLine::make(L10n::key("fan.status.apply_failure_named"), StatusTone::Failure, statusLabel));
}

void FanPageModel::applyOperatingMode(int id)
{
    if (!fanControlsAvailable())
        return;
    setSelection(id, selectedPreset_, selectedCustomPresetID_);
    if (id == curveControlCard) {
        const FanCurveSettings& curve = builtInCurveForCard(selectedPreset_);
        applyFanSelection(FanMode::Manual, curve, curve.name,
                          StatusLabel::key(L10n::key("feature.fan.vantrel_curve_control")));
    } else if (id == macOSDefaultCard) {
        applyFanSelection(FanMode::Auto, FanCurveSettings::defaultBalanced(), QStringLiteral("macos_default"),
                          StatusLabel::key(L10n::key("state.macos_default")));
    }
}

void FanPageModel::applyPreset(int id)
{
    if (!fanControlsAvailable())
        return;
    setSelection(selectedFanMode_, id, QUuid());
    const FanCurveSettings& curve = builtInCurveForCard(id);
    // The built-in names double as the cards' title keys.
    applyFanSelection(FanMode::Manual, curve, curve.name, StatusLabel::key(curve.name));
}

void FanPageModel::applyCustomPreset(const FanCurveSettings& preset)
{
    if (!fanControlsAvailable())
        return;
    selectCustomPreset(preset.id);
    const bool ok = sendSelection(FanMode::Manual, preset, preset.name);
    const StatusLabel label = StatusLabel::literal(preset.name);
    setStatus(ok ? FanStatusLine::make(L10n::key("fan.status.custom_apply_success"), StatusTone::Success, label)
                 : FanStatusLine::make(L10n::key("fan.status.apply_failure_named"), StatusTone::Failure, label));
}

void FanPageModel::applyLiveDraftCurveFromTop()
{
    if (!fanControlsAvailable())
        return;
    QString name = customPresetName_.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Live Curve");
    const bool ok = sendSelection(FanMode::Manual, draftCurve(name), name);
    setStatus(ok ? FanStatusLine::make(L10n::key("fan.status.live_apply_success"), StatusTone::Success)
                 : FanStatusLine::make(L10n::key("fan.status.live_apply_failure"), StatusTone::Failure));
}

void FanPageModel::reloadCustomPresets()
{
    auto custom = store_.loadCustomPresets();
    if (custom == customPresets_)
        return;
    customPresets_ = std::move(custom);
    Q_EMIT customPresetsChanged();
}

bool FanPageModel::saveCustomList(std::vector<FanCurveSettings> custom)
{
    // The store puts the built-in curves back after the custom ones.
    const bool saved = store_.save(custom);
    reloadCustomPresets();
    if (!saved)
        setStatus(FanStatusLine::make(L10n::key("fan.preset.save_failed"), StatusTone::Failure));
    return saved;
}

void FanPageModel::storeDraftAs(const QString& name, const std::optional<FanCurveSettings>& replacing,
                                const QString& statusKey)
{
    auto custom = store_.loadCustomPresets();
    std::erase_if(custom, [&](const FanCurveSettings& p) {
        return p.name == name || (replacing && (p.id == replacing->id || p.name == replacing->name));
    });
    const FanCurveSettings draft = draftCurve(name);
    custom.push_back(draft);
    // At most three custom presets are kept: the most recently appended ones.
    if (custom.size() > maxCustomPresets)
        custom.erase(custom.begin(), custom.end() - static_cast<std::ptrdiff_t>(maxCustomPresets));
    if (!saveCustomList(std::move(custom)))
        return;
    selectCustomPreset(draft.id);
    setStatus(FanStatusLine::make(statusKey, StatusTone::Success, StatusLabel::literal(name)));
}

void FanPageModel::saveDraftAsNewPreset()
{
    const QString name = customPresetName_.trimmed();
    if (name.isEmpty())
        return setStatus(FanStatusLine::make(L10n::key("fan.preset.name_required"), StatusTone::Failure));
    if (std::any_of(customPresets_.begin(), customPresets_.end(), [&](const auto& p) { return p.name == name; }))
        return setStatus(FanStatusLine::make(L10n::key("fan.preset.duplicate"), StatusTone::Warning));
    storeDraftAs(name, std::nullopt, L10n::key("fan.preset.saved_named"));
}

void FanPageModel::updateSelectedPreset()
{
    const auto target = matchingCustomPreset();
    if (!target)
        return setStatus(
            {QStringList{L10n::key("fan.preset.select_to_update"), L10n::key("fan.preset.select_to_update_2")},
             {},
             StatusTone::Warning});
    // The draft is stored under the typed name, which must not be blank (the same rule as saving).
    const QString typed = customPresetName_.trimmed();
    if (typed.isEmpty())
        return setStatus(FanStatusLine::make(L10n::key("fan.preset.name_required"), StatusTone::Failure));
    storeDraftAs(typed, target, L10n::key("fan.preset.updated_named"));
}

void FanPageModel::deleteSelectedPreset()
{
    const auto target = matchingCustomPreset();
    if (!target)
        return setStatus(FanStatusLine::make(L10n::key("fan.preset.select_to_delete"), StatusTone::Warning));
    auto custom = store_.loadCustomPresets();
    std::erase_if(custom, [&](const FanCurveSettings& p) { return p.id == target->id; });
    if (!saveCustomList(std::move(custom)))
        return;
    if (selectedCustomPresetID_ == target->id)
        selectCustomPreset(QUuid());
    setStatus(FanStatusLine::make(L10n::key("fan.preset.deleted_named"), StatusTone::Success,
                                  StatusLabel::literal(target->name)));
}

} // namespace vantrel
