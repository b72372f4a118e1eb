#include "ui/sleep/SleepPageModel.h"

#include <cmath>

#include <QPointer>

#include "l10n/L10n.h"
#include "sleep/BatteryInterlock.h"
#include "sleep/SleepSettingsState.h"
#include "tweaks/FeatureCatalogue.h"
#include "ui/sleep/SleepControls.h"

namespace vantrel {

namespace {

const QString toggleReason = QStringLiteral("sleep-page-toggle");

} // namespace

SleepPageModel::SleepPageModel(SleepControls& controls, QObject* parent)
    : QObject(parent)
    , controls_(controls)
{
    SleepSettingsState& settings = controls_.settings();
    connect(&settings, &SleepSettingsState::userIntendedDarkKeepAliveEnabledChanged, this, [this] {
        preventSleep_ = controls_.settings().userIntendedDarkKeepAliveEnabled();
        setToggle(preventSleepFeature, preventSleep_);
    });
    connect(&settings, &SleepSettingsState::virtualDisplayEnabledChanged, this, [this] {
        virtualClamshell_ = controls_.settings().virtualDisplayEnabled();
        setToggle(virtualClamshellFeature, virtualClamshell_);
    });
    connect(&controls_, &SleepControls::hardwareProfileChanged, this, &SleepPageModel::visibleFeaturesChanged);
}

const std::vector<FeatureSpec>& SleepPageModel::makeSpecs() { return FeatureCatalogue::sleepSpecs(); }

QString SleepPageModel::connectionLabel(int id)
{
    switch (id) {
    case preventSleepFeature:
        return QStringLiteral("set_system_sleep_disabled");
    case displaySleepFeature:
        return QStringLiteral("IOPM display assertion");
    case virtualClamshellFeature:
        return QStringLiteral("CGVirtualDisplay");
    case safetyLockFeature:
        return QStringLiteral("built-in display shield");
    case appNapFeature:
        return QStringLiteral("ProcessInfo.beginActivity");
    default:
        return QStringLiteral("backend needed");
    }
}

QString SleepPageModel::featureTitle(int id)
{
    for (const FeatureSpec& spec : makeSpecs())
        if (spec.id == id)
            return spec.title;
    return QStringLiteral("common.feature");
}

bool SleepPageModel::hardwareKnown() const { return controls_.supportsClamshell().has_value(); }

bool SleepPageModel::isDesktopClass() const { return controls_.desktopClass(); }

std::vector<FeatureSpec> SleepPageModel::visibleFeatureSpecs() const
{
    const bool clamshell = controls_.supportsClamshell().value_or(false);
    std::vector<FeatureSpec> visible;
    for (const FeatureSpec& spec : makeSpecs())
        if (clamshell || (spec.id != virtualClamshellFeature && spec.id != safetyLockFeature))
            visible.push_back(spec);
    return visible;
}

bool SleepPageModel::isDisabledFeature(int id) const
{
    switch (id) {
    case preventSleepFeature:
    case displaySleepFeature:
    case appNapFeature:
        return false;
    case virtualClamshellFeature:
    case safetyLockFeature:
        return !controls_.supportsClamshell().value_or(false);
    default:
        return true;
    }
}

void SleepPageModel::syncFromManager()
{
    SleepSettingsState& settings = controls_.settings();
    preventSleep_ = settings.userIntendedDarkKeepAliveEnabled();
    displaySleepOverride_ = settings.displayKeepAliveEnabled();
    virtualClamshell_ = settings.virtualDisplayEnabled();
    safetyLock_ = settings.lockOnLidOpenEnabled();
    appNapSuppression_ = controls_.appNapSuppressionEnabled();
    setToggle(preventSleepFeature, preventSleep_);
    setToggle(displaySleepFeature, displaySleepOverride_);
    setToggle(virtualClamshellFeature, virtualClamshell_);
    setToggle(safetyLockFeature, safetyLock_);
    setToggle(appNapFeature, appNapSuppression_);
    sleepBatteryCutoffSlider_ = settings.sleepBatteryCutoffPercent();
    if (settings.virtualClamshellBatteryCutoffPercent() != settings.sleepBatteryCutoffPercent())
        settings.setVirtualClamshellBatteryCutoffPercent(settings.sleepBatteryCutoffPercent());
    Q_EMIT cutoffChanged();
}

bool SleepPageModel::isOn(int id) const
{
    const auto it = toggles_.find(id);
    return it != toggles_.end() && it->second;
}

int SleepPageModel::sharedSleepBatteryCutoffPercent() const
{
    return normalizedBatteryInterlockPercent(static_cast<int>(std::lround(sleepBatteryCutoffSlider_)));
}

void SleepPageModel::handleFeatureToggle(int id, bool isOn)
{
    if (blockBatteryCutoffIfNeeded(id, isOn))
        return;
    // An apply may leave a more precise reason than "failed" (the safety lock's requirement).
    const std::uint64_t before = statusRevision_;
    bool ok = false;
    switch (id) {
    case preventSleepFeature:
        preventSleep_ = isOn;
        applyPreventSleep(isOn);
        return;
    case displaySleepFeature:
        displaySleepOverride_ = isOn;
        ok = applyDisplaySleepOverride(isOn);
        break;
    case virtualClamshellFeature:
        virtualClamshell_ = isOn;
        ok = applyVirtualClamshell(isOn);
        break;
    case safetyLockFeature:
        safetyLock_ = isOn;
        ok = applySafetyLock(isOn);
        break;
    case appNapFeature:
        appNapSuppression_ = isOn;
        ok = applyAppNapSuppression(isOn);
        break;
    default:
        setToggle(id, false);
        setStatus(QStringLiteral("sleep.status.not_ready"), 0, {}, true);
        return;
    }
    if (!ok && statusRevision_ != before)
        return;
    setStatus(ok ? QStringLiteral("sleep.status.apply_success") : QStringLiteral("sleep.status.apply_failure"), id, {},
              !ok);
}

bool SleepPageModel::blockBatteryCutoffIfNeeded(int id, bool isOn)
{
    if (!isOn || (id != preventSleepFeature && id != virtualClamshellFeature))
        return false;
    SleepSettingsState& settings = controls_.settings();
    const int cutoff = id == preventSleepFeature ? settings.sleepBatteryCutoffPercent()
                                                 : settings.virtualClamshellBatteryCutoffPercent();
    const std::optional<int> battery = controls_.batteryPercent();
    if (!battery || *battery >= cutoff - 1)
        return false;
    setFeatureState(id, false);
    setToggle(id, false);
    setStatus(QStringLiteral("sleep.status.battery_cutoff_blocked"), id,
              {QString::number(*battery), QString::number(cutoff)}, true);
    return true;
}

void SleepPageModel::applyPreventSleep(bool enabled)
{
    const std::uint64_t generation = ++sleepActionGeneration_;
    setBusy(preventSleepFeature, true);
    setStatus(QStringLiteral("sleep.status.apply_pending"), preventSleepFeature, {}, false);
    controls_.applySleepPreventionUserRequest(enabled, [guard = QPointer<SleepPageModel>(this), generation](bool ok) {
        // A newer request owns the row; this answer is stale.
        if (!guard || guard->sleepActionGeneration_ != generation)
            return;
        guard->preventSleep_ = guard->controls_.settings().userIntendedDarkKeepAliveEnabled();
        guard->setToggle(preventSleepFeature, guard->preventSleep_);
        guard->setBusy(preventSleepFeature, false);
        guard->setStatus(ok ? QStringLiteral("sleep.status.apply_success")
                            : QStringLiteral("sleep.status.apply_failure"),
                         preventSleepFeature, {}, !ok);
    });
}

bool SleepPageModel::applyDisplaySleepOverride(bool enabled)
{
    controls_.settings().setDisplayKeepAliveEnabled(enabled);
    controls_.preventDisplaySleep(enabled);
    setToggle(displaySleepFeature, enabled);
    return true;
}

bool SleepPageModel::applyVirtualClamshell(bool enabled)
{
    if (enabled && !controls_.supportsClamshell().value_or(false)) {
        virtualClamshell_ = false;
        setToggle(virtualClamshellFeature, false);
        return false;
    }
    controls_.setVirtualClamshellUserIntent(enabled, toggleReason);
    controls_.reconcileSleepRuntime(QStringLiteral("sleep-page-toggle-virtual-clamshell"));
    const bool present = controls_.isVirtualDisplayPresent();
    // Switching on waits for the daemon's confirmation; the row turns on by itself once
    // the virtual display runs.
    const bool running = controls_.settings().virtualDisplayEnabled() && present;
    virtualClamshell_ = running;
    setToggle(virtualClamshellFeature, running);
    return enabled ? running : !present;
}

bool SleepPageModel::applySafetyLock(bool enabled)
{
    SleepSettingsState& settings = controls_.settings();
    if (enabled && !controls_.supportsClamshell().value_or(false)) {
        safetyLock_ = false;
        setToggle(safetyLockFeature, false);
        return false;
    }
    if (enabled && !settings.virtualDisplayEnabled() && !controls_.isVirtualDisplayPresent()) {
        safetyLock_ = false;
        controls_.setSafetyLockUserIntent(false, QStringLiteral("sleep-page-guard"));
        setToggle(safetyLockFeature, false);
        setStatus(QStringLiteral("sleep.status.safety_lock_req"), 0, {}, true);
        return false;
    }
    controls_.setSafetyLockUserIntent(enabled, toggleReason);
    controls_.reconcileSleepRuntime(QStringLiteral("sleep-page-toggle-safety-lock"));
    safetyLock_ = settings.lockOnLidOpenEnabled();
    setToggle(safetyLockFeature, safetyLock_);
    return true;
}

bool SleepPageModel::applyAppNapSuppression(bool enabled)
{
    controls_.setAppNapSuppressionEnabled(enabled);
    controls_.reconcileSleepRuntime(QStringLiteral("sleep-page-toggle-app-nap"));
    setToggle(appNapFeature, enabled);
    return true;
}

void SleepPageModel::applySharedSleepBatteryCutoff(double value)
{
    const int cutoff = normalizedBatteryInterlockPercent(static_cast<int>(std::lround(value)));
    sleepBatteryCutoffSlider_ = cutoff;
    SleepSettingsState& settings = controls_.settings();
    settings.setSleepBatteryCutoffPercent(cutoff);
    settings.setVirtualClamshellBatteryCutoffPercent(cutoff);
    Q_EMIT cutoffChanged();
    syncVisibleSleepTogglesForBatteryCutoff(cutoff);
    controls_.reconcileSleepRuntime(QStringLiteral("sleep-shared-cutoff-slider"));
}

void SleepPageModel::syncVisibleSleepTogglesForBatteryCutoff(int cutoff)
{
    const std::optional<int> battery = controls_.batteryPercent();
    if (!battery || *battery >= cutoff - 1)
        return;
    // Only the rows: the intents are the reconciliation's to drop.
    for (int id : {preventSleepFeature, virtualClamshellFeature})
        if (isOn(id)) {
            setFeatureState(id, false);
            setToggle(id, false);
        }
}

QString SleepPageModel::featureActionStatus(const QString& lang) const
{
    if (statusKey_.isEmpty())
        return {};
    if (statusFeature_ == 0 && statusFigures_.isEmpty())
        return L10n::tr(statusKey_, lang);
    QStringList args{L10n::tr(featureTitle(statusFeature_), lang)};
    args += statusFigures_;
    return L10n::formatList(statusKey_, args, lang);
}

void SleepPageModel::setToggle(int id, bool on)
{
    const auto it = toggles_.find(id);
    if (it != toggles_.end() && it->second == on)
        return;
    toggles_[id] = on;
    Q_EMIT toggleChanged(id, on);
}

void SleepPageModel::setBusy(int id, bool busy)
{
    if (busy == isBusy(id))
        return;
    if (busy)
        pendingSleepActions_.insert(id);
    else
        pendingSleepActions_.erase(id);
    Q_EMIT busyChanged(id, busy);
}

void SleepPageModel::setStatus(const QString& key, int featureId, QStringList figures, bool failed)
{
    statusKey_ = key;
    statusFeature_ = featureId;
    statusFigures_ = std::move(figures);
    featureActionFailed_ = failed;
    ++statusRevision_;
    Q_EMIT featureActionStatusChanged();
}

void SleepPageModel::setFeatureState(int id, bool on)
{
    if (id == preventSleepFeature)
        preventSleep_ = on;
    else if (id == virtualClamshellFeature)
        virtualClamshell_ = on;
}

} // namespace vantrel
