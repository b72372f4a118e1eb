#include "ui/dashboard/DashboardCollector.h"

#include <algorithm>

#include "base/JsonAccess.h"
#include "daemon/DaemonClient.h"
#include "daemon/HardwareProfileReply.h"
#include "daemon/PowerPolicyState.h"
#include "daemon/SystemSnapshot.h"
#include "platform/SystemProfiler.h"
#include "sensors/LocalActivitySampler.h"
#include "ui/dashboard/DashboardRules.h"
#include "ui/dashboard/ModelLabel.h"

namespace vantrel {

using namespace dashboard;

namespace {

int toInt(qint64 v) { return static_cast<int>(std::clamp<qint64>(v, INT32_MIN, INT32_MAX)); }

} // namespace

DashboardCollector::DashboardCollector(std::shared_ptr<DaemonClient> daemon,
                                       std::shared_ptr<LocalActivitySampler> sampler,
                                       std::shared_ptr<SystemProfiler> profiler)
    : daemon_(std::move(daemon))
    , sampler_(std::move(sampler))
    , profiler_(std::move(profiler))
{ }

DashboardRefreshResult DashboardCollector::collect(const DashboardRefreshSeed& seed, const QString& macosDefault,
                                                   const QDateTime& now) const
{
    DashboardRefreshResult r = seed.values;
    r.powerReadback.reset();
    readStatus(r);
    readHardwareProfile(r);
    readSnapshot(r);
    readPowerPolicy(r);

    if (sampler_)
        sampler_->applyLocalActivityFallback(r.activity);
    if (r.ssdTempText == QStringLiteral("-") && seed.localSsdTemperature)
        r.ssdTempText = temperatureText(*seed.localSsdTemperature);
    // The profiler is slow; once the name is known it is carried in the seed.
    if (r.hardwareMarketingName.isEmpty())
        r.hardwareMarketingName = friendlyModelLabel(profilerName(), r.hardwareModel);

    r.currentDriver = policyInCharge(r, seed.appSleepPreventionActive, macosDefault);
    r.lastUpdated = now.toLocalTime().toString(QStringLiteral("HH:mm:ss"));
    return r;
}

void DashboardCollector::readStatus(DashboardRefreshResult& r) const
{
    const auto status = daemon_ ? daemon_->getStatus() : std::nullopt;
    r.daemonReachable = status.has_value();
    r.daemonStatus = status ? status->status : QStringLiteral("error");
    r.watchdogStatus
        = r.daemonStatus == QStringLiteral("connected") ? QStringLiteral("armed") : QStringLiteral("unknown");
    if (!status)
        return;
    if (status->cpu_temp) {
        r.cpuValue = *status->cpu_temp;
        r.cpuText = temperatureText(*status->cpu_temp);
    }
    if (status->fan0)
        r.fan0RPM = toInt(*status->fan0);
    if (status->fan1)
        r.fan1RPM = toInt(*status->fan1);
}

void DashboardCollector::readHardwareProfile(DashboardRefreshResult& r) const
{
    const auto reply = daemon_ ? daemon_->getHardwareProfile() : std::nullopt;
    if (!reply)
        return;
    // The shared reader names an absent model "unknown"; the dashboard then keeps what it shows.
    const HardwareProfileReply profile = HardwareProfileReply::fromReply(*reply);
    if (!profile.modelIdentifier.isEmpty() && profile.modelIdentifier != QStringLiteral("unknown"))
        r.hardwareModel = profile.modelIdentifier;
    if (profile.fanCount)
        r.fanCount = toInt(*profile.fanCount);
    if (profile.hasBattery)
        r.hasBattery = *profile.hasBattery;
    if (profile.supportsSmcFanControl)
        r.supportsFan = *profile.supportsSmcFanControl;
}

void DashboardCollector::readSnapshot(DashboardRefreshResult& r) const
{
    const auto reply = daemon_ ? daemon_->getSystemSnapshot() : std::nullopt;
    LocalActivityFields& a = r.activity;
    // Without a snapshot, or without its "cpu", the CPU figures are this machine's own; a group
    // the daemon reports is its own again (the fallback still treats an empty one as missing).
    // Memory and battery activity keep the daemon's last figures instead.
    if (!reply) {
        a.cpuIsLocal = true;
        return;
    }
    const SystemSnapshot s = SystemSnapshot::fromReply(*reply);
    a.cpuIsLocal = s.cpu == SystemSnapshot::Cpu{};
    if (s.cpu.systemPercent)
        a.cpuSystemPercent = *s.cpu.systemPercent;
    if (s.cpu.userPercent)
        a.cpuUserPercent = *s.cpu.userPercent;
    if (s.cpu.idlePercent)
        a.cpuIdlePercent = *s.cpu.idlePercent;
    if (s.cpu.processCount)
        a.processCount = toInt(*s.cpu.processCount);
    if (s.cpu.threadCount)
        a.threadCount = toInt(*s.cpu.threadCount);

    // Without a "memory" object the previous figures stay on screen.
    if (json::object(*reply, QStringLiteral("memory"))) {
        const auto& m = s.memory;
        a.memoryIsLocal = false;
        a.memoryLevel = m.level;
        if (m.usedBytes && m.totalBytes && *m.totalBytes > 0)
            a.memoryUsedGB = usedOfTotalText(*m.usedBytes, *m.totalBytes);
        if (m.appMemoryBytes)
            a.appMemoryText = formatBytes(m.appMemoryBytes);
        if (m.wiredBytes)
            a.wiredMemoryText = formatBytes(m.wiredBytes);
        if (m.compressedBytes)
            a.compressedMemoryText = formatBytes(m.compressedBytes);
        if (m.cachedFilesBytes)
            a.cachedFilesText = formatBytes(m.cachedFilesBytes);
        if (m.swapUsedBytes)
            a.swapUsedText = formatBytes(m.swapUsedBytes);
    }
    if (s.batteryActivity.state || s.batteryActivity.powerSource)
        a.batteryIsLocal = false;
    if (s.batteryActivity.state)
        a.batteryActivityState = *s.batteryActivity.state;
    if (s.batteryActivity.powerSource)
        a.batteryPowerSource = *s.batteryActivity.powerSource;
    if (s.ssdTemperatureCelsius)
        r.ssdTempText = temperatureText(*s.ssdTemperatureCelsius);
}

void DashboardCollector::readPowerPolicy(DashboardRefreshResult& r) const
{
    const auto reply = daemon_ ? daemon_->getPowerPolicyState() : std::nullopt;
    if (!reply)
        return;
    r.powerReadback = *reply;
    const PowerPolicyState p = PowerPolicyState::fromReply(*reply);
    if (p.batteryPercent)
        r.batteryPercent = toInt(*p.batteryPercent);
    if (p.batteryPresent)
        r.hasBattery = *p.batteryPresent;
    if (p.targetChargeLimit) {
        r.batteryTarget = toInt(*p.targetChargeLimit);
        // The charge protector lets the charge fall by its fixed drop of 5 before charging again.
        r.batteryDrop = std::max(0, r.batteryTarget - 5);
    }
    if (p.powerOnlyState)
        r.powerState = *p.powerOnlyState;
    auto take = [](std::optional<bool> v, bool& into) {
        if (v)
            into = *v;
    };
    take(p.chargeLimitEnabled, r.chargeLimitEnabled);
    // Every reply states it; one without the key means the limit holds.
    r.chargeLimitIgnored = p.chargeLimitIgnored();
    take(p.chargeProtectorEnabled, r.chargeProtectorEnabled);
    take(p.safetyDrainEnabled, r.safetyDrainEnabled);
    take(p.heatProtectionEnabled, r.heatProtectionEnabled);
    take(p.oneTimeFullChargeActive, r.oneTimeFullChargeActive);
    take(p.systemSleepDisabledByVantrel, r.sleepDisabledByVantrel);
    take(p.fanPolicyEnabled, r.fanPolicyEnabled);
    if (p.fanPresetName)
        r.fanPresetName = *p.fanPresetName;
}

std::optional<std::vector<EvidenceEntry>> DashboardCollector::readTimeline() const
{
    const auto reply = daemon_ ? daemon_->getEvidenceEvents(timelineLimit) : std::nullopt;
    if (!reply)
        return std::nullopt;
    return parseEvidenceEvents(*reply);
}

bool DashboardCollector::resetToVanilla() const { return daemon_ && daemon_->resetToVanilla(); }

std::optional<QString> DashboardCollector::profilerName() const
{
    if (!profiler_)
        return std::nullopt;
    const auto overview = profiler_->hardwareOverview();
    if (!overview)
        return std::nullopt;
    return !overview->marketingName.isEmpty() ? overview->marketingName : overview->modelName;
}

} // namespace vantrel
