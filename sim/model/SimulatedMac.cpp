#include "sim/model/SimulatedMac.h"

#include <algorithm>

namespace vantrel::sim {

namespace {
constexpr double kAdapterVolts = 20.0;
constexpr double kAdapterEfficiency = 0.92;
constexpr double kChargerLossShare = 0.08;
// A desktop's built-in supply, for the adapter-current key.
constexpr int kDesktopSupplyWatts = 150;
} // namespace

SimulatedMac::SimulatedMac(const MachineProfile& profile, double startEpochSeconds, double batteryPercent)
    : profile_(profile)
    , thermal_(profile, 24.0)
    , fans_(profile.fans)
    , epoch_(startEpochSeconds)
    , adapterConnected_(true)
    , adapterWatts_(profile.hasBattery ? profile.adapterWatts : kDesktopSupplyWatts)
{
    if (profile.hasBattery)
        battery_.emplace(profile, batteryPercent);
    settle();
}

bool SimulatedMac::appLeaseActive() const
{
    return lastHeartbeatUptime_ && uptime_ - *lastHeartbeatUptime_ <= kAppLeaseSeconds;
}

void SimulatedMac::setLoad(double cpuPercent, double gpuPercent)
{
    cpuLoad_ = std::clamp(cpuPercent / 100.0, 0.0, 1.0);
    gpuLoad_ = std::clamp(gpuPercent / 100.0, 0.0, 1.0);
}

void SimulatedMac::setAdapter(bool connected, std::optional<int> watts)
{
    // A desktop runs from its own supply; there is nothing to unplug.
    if (!profile_.hasBattery)
        return;
    adapterConnected_ = connected;
    if (watts && *watts > 0)
        adapterWatts_ = *watts;
}

PolicyInputs SimulatedMac::policyInputs() const
{
    PolicyInputs in;
    in.hasBattery = battery_.has_value();
    in.adapterConnected = adapterConnected_;
    in.percent = battery_ ? battery_->percent() : 100;
    in.temperature = battery_ ? battery_->temperature() : thermal_.chassis();
    return in;
}

SleepControl::Inputs SimulatedMac::sleepInputs() const
{
    return SleepControl::Inputs{battery_.has_value(), adapterConnected_, battery_ ? battery_->percent() : 100};
}

void SimulatedMac::settle()
{
    std::vector<PolicyEvent> events;
    const PolicyDecision decision = policy_.step(policyInputs(), 0, events);
    updatePower();
    if (battery_)
        battery_->setCurrent(batteryCurrentMa(decision));
    updateAdapterAmps();
    sleep_.step(sleepInputs(), events);
    recordEvents(events);
}

double SimulatedMac::updatePower()
{
    const double load = (survivalActive_ ? std::min(cpuLoad_, kSurvivalLoadCap) : cpuLoad_) * throttleFactor_;
    cpuWatts_ = profile_.cpuIdleWatts + load * profile_.cpuMaxWatts;
    gpuWatts_ = 0.2 + gpuLoad_ * throttleFactor_ * profile_.gpuMaxWatts;
    const double displays = (lidClosed_ ? 0.0 : profile_.displayWatts) + 0.5 * externalDisplays_;
    const double otherWatts = profile_.baseWatts + displays;
    systemWatts_ = cpuWatts_ + gpuWatts_ + otherWatts;
    return otherWatts;
}

double SimulatedMac::batteryCurrentMa(const PolicyDecision& decision) const
{
    const double volts = battery_->voltage();
    if (!adapterInUse())
        return -systemWatts_ / volts * 1000.0;
    const double spare = adapterWatts_ * kAdapterEfficiency - systemWatts_;
    if (spare < 0)
        return spare / volts * 1000.0;
    if (decision.chargeAllowed)
        return std::min(battery_->chargeCurrentLimitMa(), spare / volts * 1000.0);
    return 0;
}

double SimulatedMac::chargeWatts() const
{
    return battery_ ? std::max(0.0, battery_->currentMa()) * battery_->voltage() / 1000.0 : 0.0;
}

void SimulatedMac::updateAdapterAmps()
{
    if (!battery_)
        adapterAmps_ = systemWatts_ / kAdapterEfficiency / kAdapterVolts;
    else
        adapterAmps_ = adapterInUse() ? (systemWatts_ + chargeWatts()) / kAdapterEfficiency / kAdapterVolts : 0.0;
}

void SimulatedMac::recordEvents(std::vector<PolicyEvent>& events)
{
    for (const auto& e : events)
        evidence_.record(e, epoch_);
    events.clear();
}

void SimulatedMac::step(int seconds)
{
    for (int i = 0; i < seconds; ++i)
        stepOnce();
}

void SimulatedMac::stepOnce()
{
    constexpr double dt = 1.0;
    std::vector<PolicyEvent> events;
    const double cpuTemp = thermal_.cpuDie();

    if (!survival_.enabled) {
        survivalActive_ = false;
    } else if (!survivalActive_ && cpuTemp >= survival_.threshold) {
        survivalActive_ = true;
        events.push_back({QStringLiteral("cool.survival_throttling"), QStringLiteral("throttle_started"),
                          QStringLiteral("CPU at %1 °C: load capped until %2 °C")
                              .arg(cpuTemp, 0, 'f', 1)
                              .arg(survival_.cooldownTarget, 0, 'f', 1),
                          QStringLiteral("thermal_trip"), QStringLiteral("throttled")});
    } else if (survivalActive_ && cpuTemp <= survival_.cooldownTarget) {
        survivalActive_ = false;
        events.push_back({QStringLiteral("cool.survival_throttling"), QStringLiteral("throttle_ended"),
                          QStringLiteral("CPU cooled to %1 °C").arg(cpuTemp, 0, 'f', 1),
                          QStringLiteral("cooldown_reached"), QStringLiteral("normal")});
    }
    // The hardware slows itself down when the die is too hot for its cooling.
    if (cpuTemp > profile_.throttleCelsius)
        throttleFactor_ = std::max(0.3, throttleFactor_ - 0.05);
    else if (cpuTemp < profile_.throttleCelsius - 5.0)
        throttleFactor_ = std::min(1.0, throttleFactor_ + 0.02);

    double otherWatts = updatePower();
    const double load = (survivalActive_ ? std::min(cpuLoad_, kSurvivalLoadCap) : cpuLoad_) * throttleFactor_;

    const PolicyDecision decision = policy_.step(policyInputs(), dt, events);
    const SensorReadings now = sensors();
    fans_.step(FanTemperatures{now.cpuAverage, now.gpu, now.memoryVr}, decision.fansMax, dt);

    if (battery_) {
        battery_->step(batteryCurrentMa(decision), dt, 0.5 * thermal_.chassis() + 0.5 * ambient_, fans_.airflow());
        otherWatts += chargeWatts() * kChargerLossShare;
    }
    updateAdapterAmps();

    thermal_.step(ThermalInputs{cpuWatts_, gpuWatts_, otherWatts, fans_.airflow(), ambient_, 0.5 * load}, dt);
    sleep_.step(sleepInputs(), events);
    recordEvents(events);
    epoch_ += dt;
    uptime_ += dt;
}

double SimulatedMac::batteryWatts() const
{
    return battery_ ? battery_->currentMa() * battery_->voltage() / 1000.0 : 0.0;
}

bool SimulatedMac::isCharging() const { return battery_ && battery_->currentMa() > 0; }

SensorReadings SimulatedMac::sensors() const
{
    SensorReadings s;
    const double load = cpuLoad_ * throttleFactor_;
    const double cpu = thermal_.cpuDie();
    const double chassis = thermal_.chassis();
    s.cpuAverage = cpu;
    s.cpuMax = cpu + 1.5 + 4.0 * load;
    s.cpuHotspot = cpu + 3.0 + 7.0 * load;
    s.cpuDieTop = cpu - 0.8;
    s.gpu = thermal_.gpuDie();
    s.vram = 0.7 * thermal_.gpuDie() + 0.3 * chassis + 1.5;
    const double cell = battery_ ? battery_->temperature() : chassis;
    s.battery[0] = cell;
    s.battery[1] = cell + 0.6;
    s.battery[2] = cell - 0.4;
    s.ssd[0] = thermal_.ssd();
    s.ssd[1] = thermal_.ssd() + 1.3;
    s.ambient = ambient_ + 0.08 * (chassis - ambient_);
    s.palmRest[0] = chassis - 3.0 + 0.2 * load;
    s.palmRest[1] = chassis - 3.4;
    s.memoryVr = thermal_.memoryRegulator();
    return s;
}

} // namespace vantrel::sim
