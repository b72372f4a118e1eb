#pragma once
// The state of the first-run gate: which step shows, whether the helper tools and the
// accessibility permission are in place, and the install and re-check flow. The helper probe
// and the installation block, so they run on a background queue and their outcome is applied
// on the main queue; a check that finishes after a newer one is dropped.
#include <optional>
#include <vector>

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

#include "base/Dispatch.h"
#include "ui/onboarding/OnboardingEnvironment.h"
#include "ui/onboarding/VantrelOnboardingPhase.h"
#include "ui/style/DSToken.h"

namespace vantrel {

class Preferences;

class OnboardingGateModel final : public QObject {
    Q_OBJECT
public:
    static inline const QString languageCompletedKey = QStringLiteral("vantrel.onboarding.languageCompleted.v1");
    // Re-checks after the user is sent to the accessibility settings, in seconds.
    static const std::vector<double>& accessibilityRecheckDelays();

    OnboardingGateModel(Dispatch& dispatch, Preferences& preferences, OnboardingEnvironment environment,
                        QObject* parent = nullptr);
    ~OnboardingGateModel() override;

    VantrelOnboardingPhase phase() const { return phase_; }
    // False until the first readiness check has answered (the phase is then only a guess).
    bool hasChecked() const { return hasChecked_; }
    bool batteryHelperReady() const { return batteryHelperReady_; }
    bool accessibilityTrusted() const;
    bool permissionsReady() const { return accessibilityTrusted() && batteryHelperReady_; }
    bool didOpenAccessibilitySettings() const { return didOpenAccessibilitySettings_; }
    bool isInstallingBatteryHelper() const { return isInstallingBatteryHelper_; }
    const std::optional<QString>& batteryHelperErrorMessage() const { return batteryHelperErrorMessage_; }
    const std::optional<QString>& batteryHelperStatusKey() const { return batteryHelperStatusKey_; }
    const std::optional<QDateTime>& permissionLastCheckedAt() const { return permissionLastCheckedAt_; }
    // Re-checks still scheduled after opening the accessibility settings.
    int pendingRechecks() const;

    // The line under the install button: its key and colour.
    QString statusLineKey() const;
    DSToken statusLineTone() const;
    // The outcome of the last install press in the current language ("" when none).
    QString installOutcomeText() const;

    // Readiness check when the gate is shown: language step until it was completed once,
    // then the main content when ready, otherwise the permissions step.
    void refreshOnboardingState();
    // The language step: a pick applies the language at once so the step reads in it;
    // continue stores that the step is done.
    void chooseLanguage(const QString& lang);
    void completeLanguage(const QString& lang);
    void installBatteryHelper();
    void openAccessibilitySettings();
    // Re-reads readiness; falls back from the main content when it was lost and, with
    // autoAdvance, leaves the permissions step once ready.
    void refreshRuntimeReadiness(bool autoAdvance);
    // The permissions step's finish: re-check, then the main content only when ready.
    void finishPermissions();

Q_SIGNALS:
    void phaseChanged(VantrelOnboardingPhase phase);
    // Anything the permissions step shows.
    void stateChanged();

private:
    enum class AfterCheck {
        initial,
        fallBack,
        autoAdvance,
        finish
    };
    void check(AfterCheck after);
    void applyCheck(AfterCheck after, bool helperReady);
    void setPhase(VantrelOnboardingPhase phase);

    Dispatch& dispatch_;
    Preferences& preferences_;
    OnboardingEnvironment environment_;

    VantrelOnboardingPhase phase_ = VantrelOnboardingPhase::language;
    bool hasChecked_ = false;
    bool batteryHelperReady_ = false;
    bool didOpenAccessibilitySettings_ = false;
    bool isInstallingBatteryHelper_ = false;
    std::optional<QString> batteryHelperErrorMessage_;
    std::optional<QString> batteryHelperStatusKey_;
    std::optional<QDateTime> permissionLastCheckedAt_;

    std::vector<CancelToken> rechecks_;
    unsigned long long checkGeneration_ = 0;
    unsigned long long appliedGeneration_ = 0;
};

} // namespace vantrel
