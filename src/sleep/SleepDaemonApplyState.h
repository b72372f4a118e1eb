#pragma once
// What the daemon has been asked to do about system sleep: the configuration it last
// confirmed, the one waiting for its answer (with a generation, so late answers of a
// superseded apply are dropped) and the retry back-off of a failing configuration
// (1, 2, 4, 8, 16, then 30 s). A configuration is named by its signature, "true|40".
#include <cstdint>
#include <optional>

#include <QDateTime>
#include <QString>

namespace vantrel {

class SleepDaemonApplyState {
public:
    static constexpr int maximumRetryAttempts = 30;
    static constexpr double retryMaxInterval = 30.0;

    static QString signature(bool systemSleepDisabled, int batteryCutoffPercent);
    // Seconds to wait after the attempt-th consecutive failure.
    static double retryDelaySeconds(int attempt);

    // A pass wants `signature`: a retry count for another configuration starts over, and an
    // apply still in flight for another configuration is superseded.
    void adoptSignature(const QString& signature);
    // Nothing confirmed or in flight for it yet, and no back-off running.
    bool mayApply(const QString& signature, const QDateTime& now) const;
    // Starts an apply of signature and returns its generation.
    std::uint64_t beginApply(const QString& signature);
    // The same for the user's own request: the retry count starts over with it.
    std::uint64_t beginUserApply(const QString& signature);
    // An answer still belongs to the apply in flight.
    bool isCurrent(std::uint64_t generation, const QString& signature) const;
    void clearInFlight() { inFlightSignature_.reset(); }
    // The daemon confirmed signature.
    void recordApplied(const QString& signature);
    // The user's apply was answered: every other apply in flight is forgotten too.
    void recordVerified(const QString& signature);
    void recordFailure(const QString& signature, const QDateTime& now);
    // The daemon came back: everything it was told before is forgotten.
    void reset();

    std::uint64_t generation() const { return generation_; }
    const std::optional<QString>& inFlightSignature() const { return inFlightSignature_; }
    const std::optional<QString>& lastSignature() const { return lastSignature_; }
    const std::optional<QString>& retrySignature() const { return retrySignature_; }
    int retryAttempt() const { return retryAttempt_; }
    const std::optional<QDateTime>& retryNotBefore() const { return retryNotBefore_; }

private:
    void restartRetry(const QString& signature);

    std::optional<QString> lastSignature_;
    std::optional<QString> inFlightSignature_;
    std::uint64_t generation_ = 0;
    std::optional<QString> retrySignature_;
    int retryAttempt_ = 0;
    std::optional<QDateTime> retryNotBefore_;
};

} // namespace vantrel
