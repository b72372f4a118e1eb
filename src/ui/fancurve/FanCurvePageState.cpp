#include "ui/fancurve/FanCurvePageState.h"

#include <algorithm>

#include "base/Dispatch.h"
#include "core/ThermalManager.h"
#include "daemon/DaemonClient.h"
#include "fan/FanControlState.h"
#include "fan/FanCurveObserver.h"
#include "l10n/L10n.h"
#include "ui/fancurve/FanCardSpec.h"

namespace vantrel {

FanCurvePageState::FanCurvePageState(const FanScreenServices& services, std::shared_ptr<DaemonClient> daemon,
                                     Dispatch& dispatch, QObject* parent)
    : QObject(parent)
    , services_(services)
    , daemon_(std::move(daemon))
    , dispatch_(dispatch)
    , page_(std::make_unique<FanPageModel>(*services.state, *services.presets, *services.applier))
{
    for (int id : FanCardSpecs::featureRows())
        toggles_[id] = false;

    connect(page_.get(), &FanPageModel::applyStatusChanged, this, [this] { setStatus(page_->applyStatus()); });
    for (auto signal : {&FanPageModel::selectionChanged, &FanPageModel::customPresetsChanged,
                        &FanPageModel::customPresetNameChanged, &FanPageModel::draftBandsChanged})
        connect(page_.get(), signal, this, &FanCurvePageState::editorChanged);
    FanControlState* fan = services_.state;
    connect(fan, &FanControlState::fanModeChanged, this, &FanCurvePageState::editorChanged);
    connect(fan, &FanControlState::macOSFanCurveSamplesChanged, this, &FanCurvePageState::readingsChanged);
    connect(fan, &FanControlState::macOSFanCurveSummaryChanged, this, &FanCurvePageState::readingsChanged);
    connect(fan, &FanControlState::detectedFanMaxRPMChanged, this, &FanCurvePageState::readingsChanged);
    if (services_.thermal)
        connect(services_.thermal, &ThermalManager::readingsChanged, this, &FanCurvePageState::readingsChanged);
}

FanCurvePageState::~FanCurvePageState() = default;

void FanCurvePageState::appear()
{
    services_.observer->refreshMacOSFanCurveAnalysis();
    page_->syncSelectionFromManager();
    Q_EMIT editorChanged();
}

bool FanCurvePageState::isMacOSDefault() const { return services_.state->fanMode() == FanMode::Auto; }

bool FanCurvePageState::moveHandle(FanCurveHandle handle, CurveValue target)
{
    if (editorLocked())
        return false;
    const DraftBands moved = fancurve::moveHandle(page_->draftBands(), handle, target);
    if (moved == page_->draftBands())
        return false;
    page_->setDraftBands(moved);
    scheduleLiveApply();
    return true;
}

void FanCurvePageState::scheduleLiveApply()
{
    // Each move sends its own curve once the event that moved it has been handled.
    dispatch_.main()->async(weakly(this, [](FanCurvePageState* self) { self->page_->applyLiveDraftCurveFromTop(); }));
}

bool FanCurvePageState::toggle(int cardId) const
{
    const auto it = toggles_.find(cardId);
    return it != toggles_.end() && it->second;
}

void FanCurvePageState::setToggle(int cardId, bool on)
{
    if (cardId != FanCardSpecs::hardwareInterlockRow || !on)
        return;
    toggles_[cardId] = true;
    Q_EMIT togglesChanged();
    const bool ok = daemon_ && daemon_->resetToVanilla();
    setStatus(ok ? FanStatusLine::make(L10n::key("fan.status.reset_success"), StatusTone::Success)
                 : FanStatusLine::make(L10n::key("fan.status.reset_failure"), StatusTone::Failure));
    toggles_[cardId] = false;
    Q_EMIT togglesChanged();
}

bool FanCurvePageState::canSaveNewPreset() const
{
    return !editorLocked() && !page_->customPresetName().trimmed().isEmpty() && !page_->matchingCustomPreset();
}

bool FanCurvePageState::canUpdatePreset() const { return !editorLocked() && page_->matchingCustomPreset().has_value(); }

bool FanCurvePageState::canDeletePreset() const { return canUpdatePreset(); }

QString FanCurvePageState::activePresetTitle(const QString& lang) const
{
    if (isMacOSDefault())
        return L10n::tr(QStringLiteral("fan.mode.macos_default.short"), lang);
    const QUuid selected = page_->selectedCustomPresetID();
    if (!selected.isNull())
        for (const auto& p : page_->customPresets())
            if (p.id == selected)
                return p.name;
    return L10n::tr(FanCardSpecs::titleKey(page_->selectedPreset()), lang);
}

QString FanCurvePageState::modeTitle(const QString& lang) const
{
    return L10n::tr(
        FanCardSpecs::titleKey(isMacOSDefault() ? FanPageModel::macOSDefaultCard : FanPageModel::curveControlCard),
        lang);
}

bool FanCurvePageState::hasReadings() const { return services_.thermal && !services_.thermal->historyData().empty(); }

double FanCurvePageState::cpuTemperature() const { return services_.thermal ? services_.thermal->cpuTemperature() : 0; }
int FanCurvePageState::fan0RPM() const { return services_.thermal ? services_.thermal->fan0RPM() : 0; }
int FanCurvePageState::fan1RPM() const { return services_.thermal ? services_.thermal->fan1RPM() : 0; }
int FanCurvePageState::fasterFanRPM() const { return std::max(fan0RPM(), fan1RPM()); }

double FanCurvePageState::operatingMarkerPercent() const
{
    // In the operating-system mode the draft does not drive the fans: the marker shows their speed.
    const std::optional<DraftBands> draft = isMacOSDefault() ? std::nullopt : std::optional(page_->draftBands());
    return fancurve::operatingMarkerPercent(draft, cpuTemperature(), fasterFanRPM(),
                                            services_.state->detectedFanMaxRPM());
}

void FanCurvePageState::setStatus(const FanStatusLine& status)
{
    status_ = status;
    Q_EMIT statusChanged();
}

} // namespace vantrel
