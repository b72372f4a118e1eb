#include "ui/onboarding/OnboardingGateModel.h"

#include "base/Preferences.h"
#include "l10n/L10n.h"

namespace vantrel {

const std::vector<double>& OnboardingGateModel::accessibilityRecheckDelays()
{
    static const std::vector<double> delays = {0.5, 1, 1.5, 2, 3, 5, 8, 12, 20, 30};
    return delays;
}

OnboardingGateModel::OnboardingGateModel(Dispatch& dispatch, Preferences& preferences,
                                         OnboardingEnvironment environment, QObject* parent)
    : QObject(parent)
    , dispatch_(dispatch)
    , preferences_(preferences)
    , environment_(std::move(environment))
{
    // Until the first check answers, the stored language step decides the first picture.
    phase_ = preferences_.boolValue(languageCompletedKey) ? VantrelOnboardingPhase::permissions
                                                          : VantrelOnboardingPhase::language;
}

OnboardingGateModel::~OnboardingGateModel()
{
    for (const CancelToken& token : rechecks_)
        if (token)
            token->cancel();
}

bool OnboardingGateModel::accessibilityTrusted() const
{
    return environment_.accessibilityTrusted && environment_.accessibilityTrusted();
}

int OnboardingGateModel::pendingRechecks() const
{
    int pending = 0;
    for (const CancelToken& token : rechecks_)
        pending += token && !token->isCancelled() ? 1 : 0;
    return pending;
}

QString OnboardingGateModel::statusLineKey() const
{
    if (batteryHelperErrorMessage_)
        return QStringLiteral("onboarding.battery_helper.install_failed");
    return batteryHelperReady_ ? QStringLiteral("onboarding.battery_helper.status_ready")
                               : QStringLiteral("onboarding.battery_helper.status_required");
}

DSToken OnboardingGateModel::statusLineTone() const
{
    if (batteryHelperErrorMessage_)
        return DSToken::red;
    return batteryHelperReady_ ? DSToken::green : DSToken::orange;
}

QString OnboardingGateModel::installOutcomeText() const
{
    if (!batteryHelperStatusKey_)
        return QString();
    QString text = L10n::tr(*batteryHelperStatusKey_);
    if (*batteryHelperStatusKey_ == QStringLiteral("onboarding.battery_helper.install_failed")
        && batteryHelperErrorMessage_ && !batteryHelperErrorMessage_->isEmpty())
        text += QLatin1Char(' ') + *batteryHelperErrorMessage_;
    return text;
}

void OnboardingGateModel::refreshOnboardingState() { check(AfterCheck::initial); }

void OnboardingGateModel::chooseLanguage(const QString& lang)
{
    if (L10n::supportedLanguages().contains(lang) && environment_.selectLanguage)
        environment_.selectLanguage(lang);
}

void OnboardingGateModel::completeLanguage(const QString& lang)
{
    if (phase_ != VantrelOnboardingPhase::language)
        return;
    chooseLanguage(lang);
    preferences_.setValue(languageCompletedKey, true);
    setPhase(VantrelOnboardingPhase::permissions);
}

void OnboardingGateModel::installBatteryHelper()
{
    if (isInstallingBatteryHelper_)
        return;
    isInstallingBatteryHelper_ = true;
    batteryHelperStatusKey_ = QStringLiteral("onboarding.battery_helper.installing");
    Q_EMIT stateChanged();

    const QString prompt = L10n::tr("onboarding.battery_helper.admin_prompt");
    auto install = environment_.installHelper;
    auto ready = environment_.helperReady;
    QueuePtr main = dispatch_.main();
    QPointer<OnboardingGateModel> self(this);
    dispatch_.global(QoS::UserInitiated)->async([install, ready, prompt, main, self] {
        std::optional<QString> error = install ? install(prompt) : std::optional<QString>(QString());
        const bool nowReady = ready && ready();
        main->async([self, error, nowReady] {
            OnboardingGateModel* model = self.data();
            if (!model)
                return;
            model->isInstallingBatteryHelper_ = false;
            if (model->environment_.refreshAutomationAndAvailability)
                model->environment_.refreshAutomationAndAvailability();
            model->batteryHelperReady_ = nowReady;
            if (error) {
                model->batteryHelperErrorMessage_ = *error;
                model->batteryHelperStatusKey_ = QStringLiteral("onboarding.battery_helper.install_failed");
            } else {
                model->batteryHelperErrorMessage_.reset();
                model->batteryHelperStatusKey_ = QStringLiteral("onboarding.battery_helper.installed");
            }
            // A newer probe than any still running.
            model->appliedGeneration_ = ++model->checkGeneration_;
            Q_EMIT model->stateChanged();
        });
    });
}

void OnboardingGateModel::openAccessibilitySettings()
{
    didOpenAccessibilitySettings_ = true;
    if (environment_.openAccessibilitySettings)
        environment_.openAccessibilitySettings();
    // A second press starts the series again rather than doubling it.
    for (const CancelToken& token : rechecks_)
        if (token)
            token->cancel();
    rechecks_.clear();
    for (const double delay : accessibilityRecheckDelays())
        rechecks_.push_back(dispatch_.after(dispatch_.main(), seconds(delay), weakly(this, [](OnboardingGateModel* m) {
                                                m->refreshRuntimeReadiness(true);
                                            })));
    Q_EMIT stateChanged();
}

void OnboardingGateModel::refreshRuntimeReadiness(bool autoAdvance)
{
    check(autoAdvance ? AfterCheck::autoAdvance : AfterCheck::fallBack);
}

void OnboardingGateModel::finishPermissions() { check(AfterCheck::finish); }

void OnboardingGateModel::check(AfterCheck after)
{
    if (environment_.refreshCentralState)
        environment_.refreshCentralState();
    const unsigned long long generation = ++checkGeneration_;
    auto ready = environment_.helperReady;
    QueuePtr main = dispatch_.main();
    QPointer<OnboardingGateModel> self(this);
    dispatch_.global(QoS::UserInitiated)->async([ready, main, self, generation, after] {
        const bool helperReady = ready && ready();
        main->async([self, generation, after, helperReady] {
            OnboardingGateModel* model = self.data();
            if (!model || generation <= model->appliedGeneration_)
                return;
            model->appliedGeneration_ = generation;
            model->applyCheck(after, helperReady);
        });
    });
}

void OnboardingGateModel::applyCheck(AfterCheck after, bool helperReady)
{
    batteryHelperReady_ = helperReady;
    permissionLastCheckedAt_ = dispatch_.clock().now();
    hasChecked_ = true;
    const bool ready = permissionsReady();
    switch (after) {
    case AfterCheck::initial:
        if (!preferences_.boolValue(languageCompletedKey))
            setPhase(VantrelOnboardingPhase::language);
        else
            setPhase(ready ? VantrelOnboardingPhase::complete : VantrelOnboardingPhase::permissions);
        break;
    case AfterCheck::fallBack:
    case AfterCheck::autoAdvance:
        if (phase_ == VantrelOnboardingPhase::complete && !ready)
            setPhase(VantrelOnboardingPhase::permissions);
        else if (phase_ == VantrelOnboardingPhase::permissions && after == AfterCheck::autoAdvance && ready)
            setPhase(VantrelOnboardingPhase::complete);
        break;
    case AfterCheck::finish:
        if (phase_ == VantrelOnboardingPhase::permissions && ready)
            setPhase(VantrelOnboardingPhase::complete);
        break;
    }
    Q_EMIT stateChanged();
}

void OnboardingGateModel::setPhase(VantrelOnboardingPhase phase)
{
    if (phase_ == phase)
        return;
    phase_ = phase;
    if (phase == VantrelOnboardingPhase::complete)
        for (const CancelToken& token : rechecks_)
            if (token)
                token->cancel();
    Q_EMIT phaseChanged(phase);
    Q_EMIT stateChanged();
}

} // namespace vantrel
