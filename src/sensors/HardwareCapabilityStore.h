#pragma once
// The last good hardware profile for the whole application. Refreshes ask the daemon on a
// utility queue and publish on the main queue; while the daemon gives no real profile, a
// bounded retry tries again after 1, 2, 4, 8 and 16 seconds.
#include <memory>

#include <QObject>

#include "base/BoundedBackoffState.h"
#include "base/CoalescingGenerationState.h"
#include "base/Dispatch.h"
#include "daemon/DaemonClient.h"
#include "sensors/CapabilityGate.h"
#include "sensors/HardwareProfile.h"

namespace vantrel {

class HardwareCapabilityStore : public QObject, public CapabilityGate {
    Q_OBJECT
    Q_PROPERTY(vantrel::HardwareProfile profile READ profile NOTIFY profileChanged)
    Q_PROPERTY(bool isLoaded READ isLoaded NOTIFY isLoadedChanged)
    Q_PROPERTY(
        quint64 successfulRefreshGeneration READ successfulRefreshGeneration NOTIFY successfulRefreshGenerationChanged)

public:
    HardwareCapabilityStore(std::shared_ptr<const DaemonClient> client, Dispatch& dispatch, QObject* parent = nullptr);
    ~HardwareCapabilityStore() override;

    const HardwareProfile& profile() const { return profile_; }
    bool isLoaded() const override { return isLoaded_; }
    bool hasPlaceholderProfile() const override { return profile_.isBlank(); }
    std::uint64_t refreshGeneration() const override { return refreshState_.generation; }
    quint64 successfulRefreshGeneration() const { return successfulRefreshGeneration_; }

    // The operations may be called from any thread; they run on the main queue.
    // Cancels a pending retry, resets the retry count and refreshes (with retries).
    void refresh() override;
    // One refresh without retries, only once the retries are used up and none is pending.
    void probeAfterExhaustion() override;
    // Forgets the profile; a refresh still running publishes nothing.
    void clear() override;

Q_SIGNALS:
    void profileChanged();
    void isLoadedChanged();
    void successfulRefreshGenerationChanged();

private:
    void onMain(Work work);
    void beginRefresh(bool allowsRetryScheduling);
    void finishRefresh(quint64 generation, const HardwareProfile& profile, bool allowsRetryScheduling);
    void scheduleBoundedRetry();
    void cancelRetry();

    std::shared_ptr<const DaemonClient> client_;
    Dispatch& dispatch_;
    HardwareProfile profile_;
    bool isLoaded_ = false;
    quint64 successfulRefreshGeneration_ = 0;
    CoalescingGenerationState refreshState_;
    BoundedBackoffState retryState_;
    CancelToken retryWorkItem_;
};

} // namespace vantrel
