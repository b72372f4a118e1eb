#include "power/PowerSourceMonitor.h"

#include <cmath>
#include <limits>

#include <QRegularExpression>
#include <QStringDecoder>

#include "base/JsonAccess.h"
#include "sensors/SensorSections.h"

namespace vantrel {
namespace {

const QString kCurrentCapacity = QStringLiteral("Current Capacity");
const QString kMaxCapacity = QStringLiteral("Max Capacity");
const QString kPowerSourceState = QStringLiteral("Power Source State");
const QString kACPower = QStringLiteral("AC Power");

bool flag(const QJsonObject& d, const QString& key) { return json::strictBool(d, key).value_or(false); }

// "Current Capacity" scaled by "Max Capacity" when that is at least 1 and not below it.
int scaledPercent(int current, std::optional<int> max)
{
    if (max && *max >= 1 && *max >= current)
        return static_cast<int>(std::lround(static_cast<double>(current) / *max * 100.0));
    return current;
}

// The fields the full and the light read take alike from the description.
void fillChargeFields(PowerSourceInfo& info, const QJsonObject& d)
{
    info.isCharging = flag(d, QStringLiteral("Is Charging"));
    info.powerSourceState = json::string(d, kPowerSourceState);
    info.adapterWatts = PowerSourceMonitor::intOptional(d, QStringLiteral("AdapterDetailsWatts"));
    if (!info.adapterWatts)
        info.adapterWatts = PowerSourceMonitor::intOptional(d, QStringLiteral("Power Adapter Watts"));
    info.adapterType = json::string(d, QStringLiteral("AdapterDetailsDescription"));
    if (!info.adapterType)
        info.adapterType = info.powerSourceState;
    info.timeToFull = PowerSourceMonitor::intOptional(d, QStringLiteral("Time to Full Charge"));
    info.timeToEmpty = PowerSourceMonitor::intOptional(d, QStringLiteral("Time to Empty"));
    info.condition
        = json::string(d, QStringLiteral("BatteryHealthCondition"))
              .value_or(json::string(d, QStringLiteral("BatteryHealth")).value_or(QStringLiteral("Unknown")));
}

std::optional<double> cached(const QHash<QString, double>& values, const QString& key)
{
    const auto it = values.constFind(key);
    return it == values.constEnd() ? std::nullopt : std::optional(*it);
}

} // namespace

PowerSourceMonitor::PowerSourceMonitor(std::shared_ptr<PowerSources> powerSources,
                                       std::shared_ptr<BatteryRegistry> registry, std::shared_ptr<PmsetBattery> pmset,
                                       std::shared_ptr<const SMCHelper> smc)
    : powerSources_(std::move(powerSources))
    , registry_(std::move(registry))
    , pmset_(std::move(pmset))
    , smc_(std::move(smc))
{ }

std::optional<int> PowerSourceMonitor::intOptional(const QJsonObject& dict, const QString& key)
{
    const QJsonValue v = dict.value(key);
    if (!v.isDouble())
        return std::nullopt;
    const double d = std::trunc(v.toDouble());
    if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(d);
}

std::optional<double> PowerSourceMonitor::doubleOptional(const QJsonObject& dict, const QString& key)
{
    return json::number(dict, key);
}

std::optional<double> PowerSourceMonitor::batteryMaximumCapacityPercent(std::optional<int> maxCapacity,
                                                                        std::optional<int> designCapacity)
{
    if (!maxCapacity || !designCapacity)
        return std::nullopt;
    const auto plausible = [](int mAh) { return mAh >= 500 && mAh <= 30000; };
    if (!plausible(*maxCapacity) || !plausible(*designCapacity))
        return std::nullopt;
    const double ratio = static_cast<double>(*maxCapacity) / *designCapacity;
    if (ratio < 0.1 || ratio > 1.2)
        return std::nullopt;
    return std::min(ratio * 100.0, 100.0);
}

QJsonObject PowerSourceMonitor::batteryRegistryProperties() const
{
    return registry_->smartBatteryProperties().value_or(QJsonObject());
}

std::optional<double> PowerSourceMonitor::batteryTemperature() const
{
    return meanBatteryTemperature(smc_->cachedReadings());
}

PowerSourceInfo PowerSourceMonitor::read() const
{
    PowerSourceInfo info;
    const SMCHelper::Caches smc = smc_->snapshot();
    info.systemPowerWatts = cached(smc.values, QStringLiteral("PSTR"));
    info.cpuPackagePowerWatts = cached(smc.values, QStringLiteral("PCPC"));
    info.adapterCurrent = cached(smc.values, QStringLiteral("ACID"));
    info.temperature = meanBatteryTemperature(smc.readings);

    const auto description = powerSources_->firstPowerSourceDescription();
    if (!description) {
        info.batteryPercent = 100;
        return info;
    }
    const QJsonObject& d = *description;
    const QJsonObject registry = batteryRegistryProperties();
    fillChargeFields(info, d);
    info.batteryPercent = intOptional(d, kCurrentCapacity).value_or(0);
    auto cycles = intOptional(registry, QStringLiteral("CycleCount"));
    if (!cycles)
        cycles = intOptional(d, QStringLiteral("Cycle Count"));
    info.cycleCount = cycles.value_or(0);
    const auto design = intOptional(registry, QStringLiteral("DesignCapacity"));
    const auto rawMax = intOptional(registry, QStringLiteral("AppleRawMaxCapacity"));
    info.designCapacity = design.value_or(0);
    info.currentCapacity = rawMax.value_or(0);
    info.batteryMaximumCapacityPercent = batteryMaximumCapacityPercent(rawMax, design);
    info.voltage = doubleOptional(d, QStringLiteral("Voltage"));
    return info;
}

PowerSourceInfo PowerSourceMonitor::readChargeSnapshot() const
{
    PowerSourceInfo info;
    const auto description = powerSources_->firstPowerSourceDescription();
    if (!description) {
        info.batteryPercent = pmsetBatteryPercent().value_or(100);
        return info;
    }
    fillChargeFields(info, *description);
    info.batteryPercent = scaledPercent(intOptional(*description, kCurrentCapacity).value_or(0),
                                        intOptional(*description, kMaxCapacity));
    return info;
}

std::optional<bool> PowerSourceMonitor::externalPowerConnected() const
{
    const PowerSourceInfo snapshot = readChargeSnapshot();
    if (snapshot.powerSourceState == kACPower)
        return true;
    if (snapshot.powerSourceState == QStringLiteral("Battery Power"))
        return false;
    if (!snapshot.adapterWatts)
        return std::nullopt;
    return *snapshot.adapterWatts >= 1;
}

std::optional<int> PowerSourceMonitor::currentBatteryPercent() const
{
    const auto description = powerSources_->firstPowerSourceDescription();
    if (!description)
        return std::nullopt;
    const int current = intOptional(*description, kCurrentCapacity).value_or(0);
    if (current < 1)
        return std::nullopt;
    return scaledPercent(current, intOptional(*description, kMaxCapacity));
}

std::optional<int> PowerSourceMonitor::pmsetPercent(const ProcessResult& output)
{
    if (!output.launched || output.exitStatus != 0)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(output.standardOutput);
    if (utf8.hasError())
        return std::nullopt;
    static const QRegularExpression percent(QStringLiteral("(\\d+)%"));
    const QRegularExpressionMatch match = percent.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    QString digits = match.captured(0);
    digits.chop(1);
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<int> PowerSourceMonitor::pmsetBatteryPercent() const { return pmsetPercent(pmset_->batteryStatus()); }

LocalBatteryActivity PowerSourceMonitor::localBatteryActivity() const
{
    const auto description = powerSources_->firstPowerSourceDescription();
    if (!description)
        return {QStringLiteral("unknown"), QStringLiteral("unknown")};
    const QJsonObject& d = *description;
    LocalBatteryActivity activity;
    activity.powerSource = json::string(d, kPowerSourceState).value_or(QStringLiteral("unknown"));
    if (flag(d, QStringLiteral("Is Charged")))
        activity.activityState = QStringLiteral("dashboard.battery_activity.full");
    else if (flag(d, QStringLiteral("Is Charging")))
        activity.activityState = QStringLiteral("dashboard.battery_activity.charging");
    else if (activity.powerSource == kACPower)
        activity.activityState = QStringLiteral("dashboard.battery_activity.ac_power");
    else
        activity.activityState = QStringLiteral("dashboard.battery_activity.on_battery");
    return activity;
}

} // namespace vantrel
