// The daemon side of the sleep reconciliation: "set_system_sleep_disabled" sent off the main
// thread, its answer taken back on the main thread only while it still belongs to the apply in
// flight, the back-off of failures, and the sleep screen's own confirmed request.
#include "sleep/SleepRuntimeReconciler.h"

#include "daemon/DaemonClient.h"
#include "sleep/SleepSettingsState.h"

namespace vantrel {
namespace {

// No reply, or one without the required keys, stands for the request as it was sent.
SleepRuntimeApplyResult answerFor(SleepRuntimeApplyResult result, bool requested)
{
    if (!result.stateAuthoritative && !result.succeeded)
        result.requestedEnabled = requested;
    return result;
}

// Marks the passes that run for a daemon answer.
class AnswerPass {
public:
    explicit AnswerPass(bool& flag)
        : flag_(flag)
        , previous_(flag)
    {
        flag_ = true;
    }
    ~AnswerPass() { flag_ = previous_; }
    AnswerPass(const AnswerPass&) = delete;
    AnswerPass& operator=(const AnswerPass&) = delete;

private:
    bool& flag_;
    bool previous_;
};

} // namespace

void SleepRuntimeReconciler::startDaemonApply(bool required, int cutoff, const QString& signature)
{
    const std::uint64_t generation = apply_.beginApply(signature);
    // The client and the dispatch live for the process; this object is held weakly.
    services_.dispatch.global(QoS::Utility)
        ->async([client = &services_.daemon, main = services_.dispatch.main(),
                 guard = QPointer<SleepRuntimeReconciler>(this), required, cutoff, signature, generation] {
            const SleepRuntimeApplyResult result
                = answerFor(client->setSystemSleepDisabledResult(required, cutoff, false), required);
            main->async([guard, result, required, signature, generation] {
                if (guard)
                    guard->finishDaemonApply(result, required, signature, generation);
            });
        });
}

void SleepRuntimeReconciler::finishDaemonApply(const SleepRuntimeApplyResult& result, bool required,
                                               const QString& signature, std::uint64_t generation)
{
    // The answer of a superseded apply is dropped.
    if (!apply_.isCurrent(generation, signature))
        return;
    apply_.clearInFlight();
    if (result.stateAuthoritative) {
        sleepLowBatteryVanillaActive_ = result.lowBatteryVanillaActive;
        virtualClamshellLowBatteryVanillaActive_ = result.lowBatteryVanillaActive;
    }
    AnswerPass answerPass(answerPass_);
    if (result.succeeded && result.effectiveEnabled == required) {
        apply_.recordApplied(signature);
        reconcileSleepRuntime(QStringLiteral("daemon-sleep-apply-completed"));
    } else if (result.succeeded) {
        reconcileSleepRuntime(QStringLiteral("daemon-sleep-safety-state-changed"));
    } else {
        recordSleepDaemonApplyFailure(signature);
    }
}

void SleepRuntimeReconciler::recordSleepDaemonApplyFailure(const QString& signature)
{
    apply_.recordFailure(signature, services_.dispatch.clock().now());
}

void SleepRuntimeReconciler::recordVerifiedSleepRuntimeApply(const SleepRuntimeApplyResult& result,
                                                             int batteryCutoffPercent)
{
    if (result.stateAuthoritative) {
        sleepLowBatteryVanillaActive_ = result.lowBatteryVanillaActive;
        virtualClamshellLowBatteryVanillaActive_ = result.lowBatteryVanillaActive;
    }
    if (result.succeeded)
        apply_.recordVerified(SleepDaemonApplyState::signature(result.effectiveEnabled, batteryCutoffPercent));
}

void SleepRuntimeReconciler::applySleepPreventionUserRequest(bool enabled, ApplyCompletion completion)
{
    Dispatch& dispatch = services_.dispatch;
    if (!dispatch.main()->isCurrent()) {
        dispatch.main()->async(weakly(this, [enabled, completion](SleepRuntimeReconciler* self) {
            self->applySleepPreventionUserRequest(enabled, completion);
        }));
        return;
    }
    if (!settings_)
        return;
    const int cutoff = settings_->sleepBatteryCutoffPercent();
    const QString signature = SleepDaemonApplyState::signature(enabled, cutoff);
    setSleepPreventionUserIntent(enabled, QStringLiteral("sleep-page-toggle"));
    if (enabled)
        settings_->setDarkKeepAliveMode(1);

    const std::uint64_t generation = apply_.beginUserApply(signature);
    dispatch.global(QoS::UserInitiated)
        ->async([client = &services_.daemon, main = dispatch.main(), guard = QPointer<SleepRuntimeReconciler>(this),
                 enabled, cutoff, signature, generation, completion] {
            const SleepRuntimeApplyResult result
                = answerFor(client->setSystemSleepDisabledResult(enabled, cutoff, true), enabled);
            main->async([guard, result, enabled, cutoff, signature, generation, completion] {
                if (guard)
                    guard->finishUserApply(result, enabled, cutoff, signature, generation, completion);
            });
        });
}

void SleepRuntimeReconciler::finishUserApply(SleepRuntimeApplyResult result, bool enabled, int cutoff,
                                             const QString& signature, std::uint64_t generation,
                                             const ApplyCompletion& completion)
{
    if (!apply_.isCurrent(generation, signature)) {
        SleepRuntimeApplyResult superseded;
        superseded.succeeded = false;
        superseded.requestedEnabled = enabled;
        superseded.effectiveEnabled = settings_ && settings_->darkKeepAliveEnabled();
        superseded.lowBatteryVanillaActive = sleepLowBatteryVanillaActive_;
        superseded.code = supersededCode;
        superseded.stateAuthoritative = false;
        if (completion)
            completion(superseded);
        return;
    }
    if (result.requestedEnabled != enabled) {
        result.succeeded = false;
        result.code = requestMismatchCode;
        result.stateAuthoritative = false;
        result.requestedEnabled = enabled;
    }
    apply_.clearInFlight();
    recordVerifiedSleepRuntimeApply(result, cutoff);
    if (!result.succeeded)
        recordSleepDaemonApplyFailure(signature);
    {
        AnswerPass answerPass(answerPass_);
        reconcileSleepRuntime(QStringLiteral("sleep-page-toggle-prevent-sleep"));
    }
    if (completion)
        completion(result);
}

} // namespace vantrel
