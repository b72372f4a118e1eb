#include "platform/linux/LinuxPowerSupply.h"

#include <algorithm>
#include <cmath>

#include <QDir>

#include "platform/linux/PseudoFile.h"

namespace vantrel {
namespace {

using Supply = LinuxPowerSupply::Supply;
using State = LinuxPowerSupply::State;

// The attribute files this mapping reads; other files (uevent, power/ …) are not touched.
const QStringList& attributeNames()
{
    static const QStringList names = {QStringLiteral("type"),
                                      QStringLiteral("scope"),
                                      QStringLiteral("present"),
                                      QStringLiteral("online"),
                                      QStringLiteral("status"),
                                      QStringLiteral("capacity"),
                                      QStringLiteral("health"),
                                      QStringLiteral("charge_now"),
                                      QStringLiteral("charge_full"),
                                      QStringLiteral("charge_full_design"),
                                      QStringLiteral("energy_now"),
                                      QStringLiteral("energy_full"),
                                      QStringLiteral("energy_full_design"),
                                      QStringLiteral("current_now"),
                                      QStringLiteral("power_now"),
                                      QStringLiteral("voltage_now"),
                                      QStringLiteral("voltage_min_design"),
                                      QStringLiteral("voltage_max"),
                                      QStringLiteral("current_max"),
                                      QStringLiteral("cycle_count"),
                                      QStringLiteral("temp"),
                                      QStringLiteral("time_to_empty_now"),
                                      QStringLiteral("time_to_full_now")};
    return names;
}

std::optional<qint64> integerAttribute(const Supply& s, const QString& name)
{
    const auto it = s.attributes.constFind(name);
    if (it == s.attributes.constEnd())
        return std::nullopt;
    bool ok = false;
    const qint64 v = it->toLongLong(&ok);
    return ok ? std::optional(v) : std::nullopt;
}

// Quantities that cannot be negative (capacities, times): a negative or zero reading is no reading.
std::optional<qint64> positiveAttribute(const Supply& s, const QString& name)
{
    const auto v = integerAttribute(s, name);
    return v && *v > 0 ? v : std::nullopt;
}

QString text(const Supply& s, const QString& name) { return s.attributes.value(name); }

bool isBattery(const Supply& s)
{
    const QString type = text(s, QStringLiteral("type"));
    if (!type.isEmpty())
        return type == QStringLiteral("Battery");
    return s.name.startsWith(QStringLiteral("BAT")) || s.name == QStringLiteral("macsmc-battery");
}

bool isAdapter(const Supply& s)
{
    const QString type = text(s, QStringLiteral("type"));
    if (!type.isEmpty())
        return type == QStringLiteral("Mains") || type.startsWith(QStringLiteral("USB"));
    return s.name.startsWith(QStringLiteral("AC")) || s.name.startsWith(QStringLiteral("ADP"))
        || s.name == QStringLiteral("macsmc-ac");
}

// Batteries of mice and headsets report scope "Device"; only the system's own count.
bool isSystemSupply(const Supply& s) { return text(s, QStringLiteral("scope")) != QStringLiteral("Device"); }

// Any non-zero "online" is external power: USB-C supplies report 2 in programmable (USB-PD PPS) mode.
bool isOnline(const Supply& adapter) { return integerAttribute(adapter, QStringLiteral("online")).value_or(0) != 0; }

std::optional<int> adapterWatts(const State& state)
{
    for (const Supply& a : state.adapters) {
        if (!isOnline(a))
            continue;
        const auto microvolts = positiveAttribute(a, QStringLiteral("voltage_max"));
        const auto microamps = positiveAttribute(a, QStringLiteral("current_max"));
        if (microvolts && microamps) {
            const double watts = static_cast<double>(*microvolts) / 1e6 * static_cast<double>(*microamps) / 1e6;
            if (watts >= 1 && watts < 1000)
                return static_cast<int>(std::lround(watts));
        }
    }
    return std::nullopt;
}

// "AC Power" or "Battery Power"; nothing when neither the adapters nor the charger say.
std::optional<QString> powerSourceState(const State& state)
{
    if (!state.adapters.empty()) {
        const bool online = std::any_of(state.adapters.begin(), state.adapters.end(), isOnline);
        return online ? QStringLiteral("AC Power") : QStringLiteral("Battery Power");
    }
    if (!state.battery)
        return std::nullopt;
    const QString status = LinuxPowerSupply::combinedStatus(state.batteries);
    if (status == QStringLiteral("Discharging"))
        return QStringLiteral("Battery Power");
    if (status == QStringLiteral("Charging") || status == QStringLiteral("Full")
        || status == QStringLiteral("Not charging"))
        return QStringLiteral("AC Power");
    return std::nullopt;
}

// The kernel's own percentage only: charge_now / charge_full (or the energy pair) are on
// different scales on some drivers (Apple silicon's macsmc-battery), so a missing capacity
// leaves the level unknown rather than computed.
std::optional<int> percentCharged(const Supply& b)
{
    if (const auto capacity = integerAttribute(b, QStringLiteral("capacity")))
        return static_cast<int>(std::clamp<qint64>(*capacity, 0, 100));
    return std::nullopt;
}

// Minutes to empty (discharging) or to full (charging): the kernel's own estimate when it
// gives one, else what is left divided by the present drain or charge rate.
std::optional<int> batteryMinutesRemaining(const Supply& b, bool toFull)
{
    const auto reported
        = positiveAttribute(b, toFull ? QStringLiteral("time_to_full_now") : QStringLiteral("time_to_empty_now"));
    if (reported)
        return static_cast<int>(std::min<qint64>(*reported / 60, 100000));
    for (const auto& [prefix, rateName] : {std::pair{QStringLiteral("energy_"), QStringLiteral("power_now")},
                                           std::pair{QStringLiteral("charge_"), QStringLiteral("current_now")}}) {
        const auto now = integerAttribute(b, prefix + QStringLiteral("now"));
        const auto full = positiveAttribute(b, prefix + QStringLiteral("full"));
        const auto rate = integerAttribute(b, rateName);
        if (!now || !full || !rate || *rate == 0)
            continue;
        // More left than the battery holds: the two figures are on different scales.
        if (*now > *full)
            return std::nullopt;
        const double left = toFull ? static_cast<double>(*full - *now) : static_cast<double>(*now);
        const double minutes = left / std::fabs(static_cast<double>(*rate)) * 60.0;
        return static_cast<int>(std::min(std::lround(minutes), 100000L));
    }
    return std::nullopt;
}

// A time estimate needs one battery's charge and rate; several batteries showing as one give none.
std::optional<int> minutesRemaining(const State& state, bool toFull)
{
    if (state.batteries.size() != 1)
        return std::nullopt;
    return batteryMinutesRemaining(state.batteries.front(), toFull);
}

// Capacity in mAh from the charge figure (µAh), or from the energy figure (µWh) at the design voltage.
std::optional<int> milliampHours(const Supply& b, const QString& which)
{
    if (const auto charge = positiveAttribute(b, QStringLiteral("charge_") + which))
        return static_cast<int>(std::min<qint64>(*charge / 1000, 1000000));
    const auto energy = positiveAttribute(b, QStringLiteral("energy_") + which);
    auto volts = positiveAttribute(b, QStringLiteral("voltage_min_design"));
    if (!volts)
        volts = positiveAttribute(b, QStringLiteral("voltage_now"));
    if (!energy || !volts)
        return std::nullopt;
    return static_cast<int>(
        std::min<double>(static_cast<double>(*energy) / static_cast<double>(*volts) * 1000.0, 1000000.0));
}

QString healthText(const QString& kernelHealth)
{
    if (kernelHealth == QStringLiteral("Good"))
        return QStringLiteral("Good");
    if (kernelHealth.isEmpty() || kernelHealth == QStringLiteral("Unknown"))
        return {};
    return QStringLiteral("Check Battery");
}

} // namespace

LinuxPowerSupply::LinuxPowerSupply(QString root)
    : root_(std::move(root))
{ }

State LinuxPowerSupply::readState() const
{
    State state;
    QDir dir(root_);
    const QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString& name : names) {
        Supply s;
        s.name = name;
        for (const QString& attribute : attributeNames())
            if (const auto value
                = linuxfs::readTrimmedText(root_ + QLatin1Char('/') + name + QLatin1Char('/') + attribute))
                s.attributes.insert(attribute, *value);
        if (!isSystemSupply(s))
            continue;
        if (isBattery(s)) {
            if (integerAttribute(s, QStringLiteral("present")).value_or(1) == 0)
                continue;
            if (!state.battery)
                state.battery = s;
            state.batteries.push_back(std::move(s));
        } else if (isAdapter(s)) {
            state.adapters.push_back(std::move(s));
        }
    }
    return state;
}

std::optional<QJsonObject> LinuxPowerSupply::description(const State& state)
{
    if (!state.battery)
        return std::nullopt;
    const Supply& b = *state.battery;
    // Several batteries (a ThinkPad's BAT0 and BAT1) show as one, as the daemon shows them.
    const QString status = combinedStatus(state.batteries);
    const bool charging = status == QStringLiteral("Charging");

    QJsonObject d;
    d.insert(QStringLiteral("Name"), QStringLiteral("InternalBattery-0"));
    d.insert(QStringLiteral("Type"), QStringLiteral("InternalBattery"));
    d.insert(QStringLiteral("Transport Type"), QStringLiteral("Internal"));
    d.insert(QStringLiteral("Is Present"), true);
    d.insert(QStringLiteral("Is Charging"), charging);
    d.insert(QStringLiteral("Is Charged"), status == QStringLiteral("Full"));
    if (const auto percent = combinedPercent(state.batteries)) {
        d.insert(QStringLiteral("Current Capacity"), *percent);
        d.insert(QStringLiteral("Max Capacity"), 100);
    }
    if (const auto source = powerSourceState(state))
        d.insert(QStringLiteral("Power Source State"), *source);
    if (const auto watts = adapterWatts(state))
        d.insert(QStringLiteral("AdapterDetailsWatts"), *watts);
    if (charging) {
        if (const auto minutes = minutesRemaining(state, true))
            d.insert(QStringLiteral("Time to Full Charge"), *minutes);
    } else if (status == QStringLiteral("Discharging")) {
        if (const auto minutes = minutesRemaining(state, false))
            d.insert(QStringLiteral("Time to Empty"), *minutes);
    }
    if (const auto microvolts = positiveAttribute(b, QStringLiteral("voltage_now")))
        d.insert(QStringLiteral("Voltage"), static_cast<qint64>(*microvolts / 1000));
    if (const QString health = healthText(text(b, QStringLiteral("health"))); !health.isEmpty())
        d.insert(QStringLiteral("BatteryHealth"), health);
    return d;
}

std::optional<QJsonObject> LinuxPowerSupply::registry(const State& state)
{
    if (!state.battery)
        return std::nullopt;
    const Supply& b = *state.battery;
    QJsonObject r;
    if (const auto cycles = integerAttribute(b, QStringLiteral("cycle_count")); cycles && *cycles >= 0)
        r.insert(QStringLiteral("CycleCount"), *cycles);
    if (const auto design = milliampHours(b, QStringLiteral("full_design")))
        r.insert(QStringLiteral("DesignCapacity"), *design);
    if (const auto full = milliampHours(b, QStringLiteral("full")))
        r.insert(QStringLiteral("AppleRawMaxCapacity"), *full);
    if (const auto now = milliampHours(b, QStringLiteral("now")))
        r.insert(QStringLiteral("AppleRawCurrentCapacity"), *now);
    if (const auto microvolts = positiveAttribute(b, QStringLiteral("voltage_now")))
        r.insert(QStringLiteral("Voltage"), static_cast<qint64>(*microvolts / 1000));
    // The kernel reports tenths of a degree; the registry keeps hundredths.
    if (const auto tenths = integerAttribute(b, QStringLiteral("temp")))
        r.insert(QStringLiteral("Temperature"), *tenths * 10);
    const QString status = text(b, QStringLiteral("status"));
    r.insert(QStringLiteral("IsCharging"), status == QStringLiteral("Charging"));
    r.insert(QStringLiteral("FullyCharged"), status == QStringLiteral("Full"));
    r.insert(QStringLiteral("ExternalConnected"), powerSourceState(state) == QStringLiteral("AC Power"));
    return r;
}

QByteArray LinuxPowerSupply::pmsetText(const State& state)
{
    // A machine without a battery draws from the mains, as pmset says on a desktop.
    const QString source = powerSourceState(state).value_or(QStringLiteral("AC Power"));
    QByteArray out = "Now drawing from '" + source.toUtf8() + "'\n";
    if (!state.battery)
        return out;
    const QString status = combinedStatus(state.batteries);
    QByteArray activity = "discharging";
    std::optional<int> minutes;
    if (status == QStringLiteral("Charging")) {
        activity = "charging";
        minutes = minutesRemaining(state, true);
    } else if (status == QStringLiteral("Full")) {
        activity = "charged";
        minutes = 0;
    } else if (status == QStringLiteral("Not charging")) {
        activity = "AC attached; not charging";
    } else {
        minutes = minutesRemaining(state, false);
    }
    out += " -InternalBattery-0 (id=0)\t";
    if (const auto percent = combinedPercent(state.batteries))
        out += QByteArray::number(*percent) + "%; ";
    out += activity + "; ";
    if (minutes)
        out += QByteArray::number(*minutes / 60) + ":" + QByteArray::number(*minutes % 60).rightJustified(2, '0')
            + " remaining";
    else
        out += "(no estimate)";
    out += " present: true\n";
    return out;
}

std::optional<int> LinuxPowerSupply::capacityMah(const Supply& supply, const QString& which)
{
    return milliampHours(supply, which);
}

std::optional<int> LinuxPowerSupply::combinedPercent(const std::vector<Supply>& batteries)
{
    if (batteries.empty())
        return std::nullopt;
    double weighted = 0;
    double weights = 0;
    double sum = 0;
    bool allWeighted = true;
    for (const Supply& b : batteries) {
        const auto percent = percentCharged(b);
        if (!percent)
            return std::nullopt;
        sum += *percent;
        // Watt-hours when full, straight or from the charge at the design voltage.
        double wattHours = 0;
        if (const auto energy = positiveAttribute(b, QStringLiteral("energy_full")))
            wattHours = static_cast<double>(*energy) / 1e6;
        else if (const auto charge = positiveAttribute(b, QStringLiteral("charge_full")))
            if (const auto volts = positiveAttribute(b, QStringLiteral("voltage_min_design")))
                wattHours = static_cast<double>(*charge) / 1e6 * static_cast<double>(*volts) / 1e6;
        allWeighted = allWeighted && wattHours > 0;
        weighted += *percent * wattHours;
        weights += wattHours;
    }
    const double mean = allWeighted ? weighted / weights : sum / static_cast<double>(batteries.size());
    return static_cast<int>(std::clamp<long>(std::lround(mean), 0, 100));
}

QString LinuxPowerSupply::combinedStatus(const std::vector<Supply>& batteries)
{
    const auto any = [&](const QString& status) {
        return std::any_of(batteries.begin(), batteries.end(),
                           [&](const Supply& b) { return text(b, QStringLiteral("status")) == status; });
    };
    for (const QString& status : {QStringLiteral("Charging"), QStringLiteral("Discharging")})
        if (any(status))
            return status;
    const QString full = QStringLiteral("Full");
    if (!batteries.empty() && std::all_of(batteries.begin(), batteries.end(), [&](const Supply& b) {
            return text(b, QStringLiteral("status")) == full;
        }))
        return full;
    const QString first = batteries.empty() ? QString() : text(batteries.front(), QStringLiteral("status"));
    return first.isEmpty() ? QStringLiteral("Unknown") : first;
}

std::optional<QJsonObject> LinuxPowerSupply::firstPowerSourceDescription() const { return description(readState()); }

std::optional<QJsonObject> LinuxPowerSupply::smartBatteryProperties() const { return registry(readState()); }

ProcessResult LinuxPowerSupply::batteryStatus() const
{
    ProcessResult result;
    result.launched = true;
    result.exitStatus = 0;
    result.standardOutput = pmsetText(readState());
    return result;
}

} // namespace vantrel
