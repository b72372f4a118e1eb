#pragma once
// The sleep page's view state and what its switches and cut-off slider do: each change is
// handed to the model's sleep operations, and the switch then shows what the model reports.
// Rebuilt from the model whenever the page appears. Main thread.
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

#include "tweaks/FeatureSpec.h"

namespace vantrel {

class SleepControls;

class SleepPageModel final : public QObject {
    Q_OBJECT
public:
    static constexpr int preventSleepFeature = 25;
    static constexpr int displaySleepFeature = 27;
    static constexpr int virtualClamshellFeature = 28;
    static constexpr int safetyLockFeature = 29;
    static constexpr int remoteDisplayFeature = 30;
    static constexpr int appNapFeature = 31;

    explicit SleepPageModel(SleepControls& controls, QObject* parent = nullptr);

    static const std::vector<FeatureSpec>& makeSpecs();
    static QString connectionLabel(int id);
    // The catalogue title key of the id, "common.feature" for an unknown one.
    static QString featureTitle(int id);

    // The catalogue without the clamshell rows (28, 29) unless the hardware supports it.
    std::vector<FeatureSpec> visibleFeatureSpecs() const;
    bool isDisabledFeature(int id) const;
    bool isDesktopClass() const;
    bool hardwareKnown() const;

    // Reads every switch and the cut-off from the model and keeps the two cut-offs equal.
    void syncFromManager();
    void handleFeatureToggle(int id, bool isOn);
    void applySharedSleepBatteryCutoff(double value);

    bool isOn(int id) const;
    bool isBusy(int id) const { return pendingSleepActions_.count(id) > 0; }
    double sleepBatteryCutoffSlider() const { return sleepBatteryCutoffSlider_; }
    int sharedSleepBatteryCutoffPercent() const;
    std::uint64_t sleepActionGeneration() const { return sleepActionGeneration_; }

    // The status line in a language: its key with the feature's translated title and figures.
    QString featureActionStatus(const QString& lang) const;
    QString featureActionStatusKey() const { return statusKey_; }
    bool featureActionFailed() const { return featureActionFailed_; }

Q_SIGNALS:
    void toggleChanged(int id, bool on);
    void busyChanged(int id, bool busy);
    void featureActionStatusChanged();
    void visibleFeaturesChanged();
    void cutoffChanged();

private:
    bool blockBatteryCutoffIfNeeded(int id, bool isOn);
    void applyPreventSleep(bool enabled);
    bool applyDisplaySleepOverride(bool enabled);
    bool applyVirtualClamshell(bool enabled);
    bool applySafetyLock(bool enabled);
    bool applyAppNapSuppression(bool enabled);
    void syncVisibleSleepTogglesForBatteryCutoff(int cutoff);

    void setToggle(int id, bool on);
    void setBusy(int id, bool busy);
    void setStatus(const QString& key, int featureId, QStringList figures, bool failed);
    void setFeatureState(int id, bool on);

    SleepControls& controls_;
    std::map<int, bool> toggles_;
    bool preventSleep_ = false;
    bool displaySleepOverride_ = false;
    bool virtualClamshell_ = false;
    bool safetyLock_ = false;
    bool appNapSuppression_ = false;
    QString statusKey_;
    int statusFeature_ = 0;
    QStringList statusFigures_;
    bool featureActionFailed_ = false;
    std::uint64_t statusRevision_ = 0;
    std::set<int> pendingSleepActions_;
    std::uint64_t sleepActionGeneration_ = 0;
    double sleepBatteryCutoffSlider_ = 50;
};

} // namespace vantrel
