#include "sensors/HardwareCapabilityStore.h"

#include <QPointer>

namespace vantrel {

HardwareCapabilityStore::HardwareCapabilityStore(std::shared_ptr<const DaemonClient> client, Dispatch& dispatch,
                                                 QObject* parent)
    : QObject(parent)
    , client_(std::move(client))
    , dispatch_(dispatch)
{ }

HardwareCapabilityStore::~HardwareCapabilityStore() { cancelRetry(); }

void HardwareCapabilityStore::onMain(Work work)
{
    if (dispatch_.main()->isCurrent())
        work();
    else
        dispatch_.main()->async(weakly(this, [work = std::move(work)](HardwareCapabilityStore*) { work(); }));
}

void HardwareCapabilityStore::refresh()
{
    onMain([this] {
        cancelRetry();
        retryState_.reset();
        beginRefresh(true);
    });
}

void HardwareCapabilityStore::probeAfterExhaustion()
{
    onMain([this] {
        if (retryState_.isExhausted() && !retryWorkItem_)
            beginRefresh(false);
    });
}

void HardwareCapabilityStore::clear()
{
    onMain([this] {
        cancelRetry();
        retryState_.reset();
        refreshState_.invalidate();
        if (profile_ != HardwareProfile::blank()) {
            profile_ = HardwareProfile::blank();
            Q_EMIT profileChanged();
        }
        if (isLoaded_) {
            isLoaded_ = false;
            Q_EMIT isLoadedChanged();
        }
    });
}

void HardwareCapabilityStore::beginRefresh(bool allowsRetryScheduling)
{
    const auto generation = refreshState_.begin();
    if (!generation)
        return; // the refresh in flight serves this request too
    QPointer<HardwareCapabilityStore> self(this);
    QueuePtr main = dispatch_.main();
    dispatch_.global(QoS::Utility)
        ->async([client = client_, main, self, generation = *generation, allowsRetryScheduling] {
            const HardwareProfile profile = HardwareProfile::daemonProfile(client->getHardwareProfile());
            main->async([self, generation, profile, allowsRetryScheduling] {
                if (HardwareCapabilityStore* store = self.data())
                    store->finishRefresh(generation, profile, allowsRetryScheduling);
            });
        });
}

void HardwareCapabilityStore::finishRefresh(quint64 generation, const HardwareProfile& profile,
                                            bool allowsRetryScheduling)
{
    if (!refreshState_.accept(generation))
        return;
    if (profile_ != profile) {
        profile_ = profile;
        Q_EMIT profileChanged();
    }
    if (!isLoaded_) {
        isLoaded_ = true;
        Q_EMIT isLoadedChanged();
    }
    if (!profile.isBlank()) {
        cancelRetry();
        retryState_.reset();
        successfulRefreshGeneration_ = generation;
        Q_EMIT successfulRefreshGenerationChanged();
    } else if (allowsRetryScheduling) {
        scheduleBoundedRetry();
    }
}

void HardwareCapabilityStore::scheduleBoundedRetry()
{
    if (retryWorkItem_)
        return;
    const auto delay = retryState_.nextDelay();
    if (!delay)
        return;
    retryWorkItem_
        = dispatch_.after(dispatch_.main(), seconds(*delay), weakly(this, [](HardwareCapabilityStore* store) {
                              store->retryWorkItem_.reset();
                              store->beginRefresh(true);
                          }));
}

void HardwareCapabilityStore::cancelRetry()
{
    if (retryWorkItem_) {
        retryWorkItem_->cancel();
        retryWorkItem_.reset();
    }
}

} // namespace vantrel
