#pragma once
// One dashboard collection, run on a background queue: the four daemon read-backs in order
// (status, hardware profile, system snapshot, power policy), each value the replies lack
// kept from the seed, then the local fallbacks and the marketing name.
#include <memory>
#include <optional>
#include <vector>

#include <QDateTime>

#include "ui/dashboard/DashboardRefreshResult.h"
#include "ui/dashboard/EvidenceTimeline.h"

namespace vantrel {

class DaemonClient;
class LocalActivitySampler;
class SystemProfiler;

class DashboardCollector {
public:
    static constexpr int timelineLimit = 6;

    // Without a sampler or a profiler the dashboard shows only what the daemon reports.
    DashboardCollector(std::shared_ptr<DaemonClient> daemon, std::shared_ptr<LocalActivitySampler> sampler,
                       std::shared_ptr<SystemProfiler> profiler);

    // macosDefault: the translated name of the macOS default policy.
    DashboardRefreshResult collect(const DashboardRefreshSeed& seed, const QString& macosDefault,
                                   const QDateTime& now) const;
    // The event timeline; nothing when the daemon gave no "ok" reply.
    std::optional<std::vector<dashboard::EvidenceEntry>> readTimeline() const;
    bool resetToVanilla() const;

private:
    void readStatus(DashboardRefreshResult& r) const;
    void readHardwareProfile(DashboardRefreshResult& r) const;
    void readSnapshot(DashboardRefreshResult& r) const;
    void readPowerPolicy(DashboardRefreshResult& r) const;

    std::optional<QString> profilerName() const;

    std::shared_ptr<DaemonClient> daemon_;
    std::shared_ptr<LocalActivitySampler> sampler_;
    std::shared_ptr<SystemProfiler> profiler_;
};

} // namespace vantrel
