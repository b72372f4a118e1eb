#include "sleep/SleepDaemonApplyState.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

QString SleepDaemonApplyState::signature(bool systemSleepDisabled, int batteryCutoffPercent)
{
    return (systemSleepDisabled ? QStringLiteral("true|") : QStringLiteral("false|"))
        + QString::number(batteryCutoffPercent);
}

double SleepDaemonApplyState::retryDelaySeconds(int attempt)
{
    const int exponent = std::min(std::max(attempt, 1) - 1, 5);
    return std::min(std::pow(2.0, exponent), retryMaxInterval);
}

void SleepDaemonApplyState::adoptSignature(const QString& signature)
{
    if (retrySignature_ == signature)
        return;
    if (inFlightSignature_ && *inFlightSignature_ != signature) {
        ++generation_;
        inFlightSignature_.reset();
    }
    restartRetry(signature);
}

bool SleepDaemonApplyState::mayApply(const QString& signature, const QDateTime& now) const
{
    return lastSignature_ != signature && !inFlightSignature_ && (!retryNotBefore_ || *retryNotBefore_ <= now);
}

std::uint64_t SleepDaemonApplyState::beginApply(const QString& signature)
{
    ++generation_;
    inFlightSignature_ = signature;
    return generation_;
}

std::uint64_t SleepDaemonApplyState::beginUserApply(const QString& signature)
{
    ++generation_;
    inFlightSignature_ = signature;
    restartRetry(signature);
    return generation_;
}

bool SleepDaemonApplyState::isCurrent(std::uint64_t generation, const QString& signature) const
{
    return generation == generation_ && inFlightSignature_ == signature;
}

void SleepDaemonApplyState::recordApplied(const QString& signature)
{
    lastSignature_ = signature;
    restartRetry(signature);
}

void SleepDaemonApplyState::recordVerified(const QString& signature)
{
    ++generation_;
    inFlightSignature_.reset();
    recordApplied(signature);
}

void SleepDaemonApplyState::recordFailure(const QString& signature, const QDateTime& now)
{
    if (retrySignature_ != signature) {
        restartRetry(signature);
        return;
    }
    retryAttempt_ = std::min(retryAttempt_ + 1, maximumRetryAttempts);
    retryNotBefore_ = now.addMSecs(static_cast<qint64>(retryDelaySeconds(retryAttempt_) * 1000.0));
}

void SleepDaemonApplyState::reset()
{
    ++generation_;
    inFlightSignature_.reset();
    lastSignature_.reset();
    retrySignature_.reset();
    retryAttempt_ = 0;
    retryNotBefore_.reset();
}

void SleepDaemonApplyState::restartRetry(const QString& signature)
{
    retrySignature_ = signature;
    retryAttempt_ = 0;
    retryNotBefore_.reset();
}

} // namespace vantrel
