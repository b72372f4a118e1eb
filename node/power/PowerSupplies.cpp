#include "node/power/PowerSupplies.h"

#include <algorithm>

#include <QDir>
#include <QStringList>

#include "platform/linux/LinuxPowerSupply.h"

namespace vantrel::node {
namespace {

using Supply = LinuxPowerSupply::Supply;

std::optional<qint64> integer(const Supply& s, const char* name)
{
    const auto it = s.attributes.constFind(QLatin1String(name));
    if (it == s.attributes.constEnd())
        return std::nullopt;
    bool ok = false;
    const qint64 v = it->toLongLong(&ok);
    return ok ? std::optional(v) : std::nullopt;
}

// Micro-units (µV, µA, µW) as plain units.
double micro(const Supply& s, const char* name)
{
    const auto v = integer(s, name);
    return v ? static_cast<double>(*v) / 1e6 : NAN;
}

BatteryReading batteryReading(const Supply& b)
{
    BatteryReading r;
    r.name = b.name;
    r.present = true;
    r.status = b.attributes.value(QStringLiteral("status"), QStringLiteral("Unknown"));
    if (const auto capacity = integer(b, "capacity"))
        r.percent = static_cast<int>(std::clamp<qint64>(*capacity, 0, 100));
    if (const auto tenths = integer(b, "temp"))
        r.temperatureC = static_cast<double>(*tenths) / 10.0;
    if (const auto cycles = integer(b, "cycle_count"); cycles && *cycles >= 0)
        r.cycleCount = static_cast<int>(std::min<qint64>(*cycles, 1000000));
    if (const double volts = micro(b, "voltage_now"); volts > 0)
        r.voltageV = volts;

    // Drivers disagree on the sign of current_now (ACPI batteries report a magnitude, Apple's
    // SMC a signed value) and energy-based batteries give power_now instead; the status decides.
    double amps = micro(b, "current_now");
    const double watts = micro(b, "power_now");
    if (std::isnan(amps) && !std::isnan(watts) && !std::isnan(r.voltageV))
        amps = watts / r.voltageV;
    if (!std::isnan(amps)) {
        if (r.status == QStringLiteral("Discharging"))
            amps = -std::fabs(amps);
        else if (r.status == QStringLiteral("Charging"))
            amps = std::fabs(amps);
        r.currentA = amps;
    }
    if (!std::isnan(watts))
        r.powerW = std::fabs(watts);
    else if (!std::isnan(amps) && !std::isnan(r.voltageV))
        r.powerW = std::fabs(amps * r.voltageV);

    r.designCapacityMah = LinuxPowerSupply::capacityMah(b, QStringLiteral("full_design")).value_or(-1);
    r.fullChargeCapacityMah = LinuxPowerSupply::capacityMah(b, QStringLiteral("full")).value_or(-1);
    return r;
}

// Every system battery as one, as the system's own summary shows them: the level and state
// from LinuxPowerSupply's rules, the flows summed, the hottest temperature and the most
// worn battery's cycles.
BatteryReading combinedReading(const std::vector<Supply>& batteries)
{
    if (batteries.size() == 1)
        return batteryReading(batteries.front());
    BatteryReading r;
    r.present = true;
    r.percent = LinuxPowerSupply::combinedPercent(batteries).value_or(-1);
    r.status = LinuxPowerSupply::combinedStatus(batteries);
    r.designCapacityMah = 0;
    r.fullChargeCapacityMah = 0;
    QStringList names;
    const auto add = [](double& total, double value) {
        if (!std::isnan(value))
            total = std::isnan(total) ? value : total + value;
    };
    // A capacity only when every battery reports one.
    const auto sum = [](int& total, int value) { total = total < 0 || value < 0 ? -1 : total + value; };
    for (const Supply& supply : batteries) {
        const BatteryReading b = batteryReading(supply);
        names << b.name;
        if (!std::isnan(b.temperatureC) && (std::isnan(r.temperatureC) || b.temperatureC > r.temperatureC))
            r.temperatureC = b.temperatureC;
        r.cycleCount = std::max(r.cycleCount, b.cycleCount);
        add(r.currentA, b.currentA);
        add(r.powerW, b.powerW);
        // The voltage of the battery that carries the flow, else of the first that reports one.
        const bool active = b.status == QLatin1String("Charging") || b.status == QLatin1String("Discharging");
        if (!std::isnan(b.voltageV) && (std::isnan(r.voltageV) || active))
            r.voltageV = b.voltageV;
        sum(r.designCapacityMah, b.designCapacityMah);
        sum(r.fullChargeCapacityMah, b.fullChargeCapacityMah);
    }
    r.name = names.join(QLatin1Char('+'));
    return r;
}

bool online(const Supply& s) { return integer(s, "online").value_or(0) != 0; }

// What the supply delivers now (voltage_now × current_now), else its negotiated rating
// (voltage_max × current_max, as USB-C supplies report it); NaN when it says neither.
double supplyWatts(const Supply& s)
{
    for (const auto& [volts, amps] :
         {std::pair{"voltage_now", "current_now"}, std::pair{"voltage_max", "current_max"}}) {
        const double w = micro(s, volts) * micro(s, amps);
        if (!std::isnan(w) && w > 0 && w < 1000)
            return w;
    }
    return NAN;
}

AdapterReading adapterReading(const LinuxPowerSupply::State& state)
{
    AdapterReading r;
    for (const Supply& s : state.adapters) {
        if (!online(s))
            continue;
        const double w = supplyWatts(s);
        // Of several online supplies (a Framework's ACAD and the USB-C port feeding it) the one
        // that reports a wattage names the adapter.
        if (!r.connected || (std::isnan(r.watts) && !std::isnan(w))) {
            r.name = s.name;
            r.watts = w;
        }
        r.connected = true;
    }
    if (state.adapters.empty() && !state.batteries.empty()) {
        // No adapter folder at all: the batteries' charger status is all there is.
        const QString status = LinuxPowerSupply::combinedStatus(state.batteries);
        r.connected = status == QStringLiteral("Charging") || status == QStringLiteral("Full")
            || status == QStringLiteral("Not charging");
    }
    return r;
}

} // namespace

PowerSupplies::PowerSupplies(QString root)
    : folder_(QDir::cleanPath(root + QStringLiteral("/sys/class/power_supply")))
{
    refresh();
}

void PowerSupplies::refresh()
{
    const LinuxPowerSupply::State state = LinuxPowerSupply(folder_).readState();
    battery_ = state.batteries.empty() ? std::nullopt : std::optional(combinedReading(state.batteries));
    adapter_ = adapterReading(state);
}

std::optional<BatteryReading> PowerSupplies::battery() const { return battery_; }

AdapterReading PowerSupplies::adapter() const { return adapter_; }

} // namespace vantrel::node
