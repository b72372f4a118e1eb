#include "smc/LinuxSmcKeys.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "smc/SysfsFiles.h"

namespace vantrel::smc {

namespace {

using Reading = std::optional<double>;
using smc::SmcType;

// Fan keys carry one decimal digit for the fan's index.
constexpr std::size_t kMaxFans = 10;
constexpr double kMaxSystemWatts = 1000.0;

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Thermal zone types spell words with '-' or '_' ("cpu-thermal", "cpu_thermal").
std::string normalisedZoneType(const std::string& type)
{
    std::string t = lowered(type);
    std::replace(t.begin(), t.end(), '-', '_');
    return t;
}

bool isGpuDriver(const std::string& chip)
{
    return chip == "amdgpu" || chip == "radeon" || chip == "nouveau" || chip == "xe" || chip == "i915";
}

const SensorChannel* labelled(const HwmonChip& chip, const std::string& label)
{
    for (const auto& t : chip.temps)
        if (t.label == label)
            return &t;
    return nullptr;
}

std::vector<double> readingsOf(const std::vector<std::string>& paths)
{
    std::vector<double> out;
    for (const auto& p : paths)
        if (const auto v = readMillidegrees(p))
            out.push_back(*v);
    return out;
}

Reading maximum(const std::vector<double>& values)
{
    if (values.empty())
        return std::nullopt;
    return *std::max_element(values.begin(), values.end());
}

Reading mean(const std::vector<double>& values)
{
    if (values.empty())
        return std::nullopt;
    double sum = 0;
    for (double v : values)
        sum += v;
    return sum / static_cast<double>(values.size());
}

// CPU temperature inputs: the package (or control) temperatures and the per-core (or per-CCD,
// per-cluster) ones. Driver chips win; thermal zones serve machines without them.
struct CpuSources {
    std::vector<std::string> packages;
    std::vector<std::string> cores;
};

CpuSources cpuSources(LinuxSensorTree& tree)
{
    CpuSources s;
    for (const auto& chip : tree.hwmonChips()) {
        if (chip.name == "coretemp") {
            for (const auto& t : chip.temps) {
                if (t.label.starts_with("Package id"))
                    s.packages.push_back(t.input);
                else if (t.label.starts_with("Core "))
                    s.cores.push_back(t.input);
            }
        } else if (chip.name == "k10temp" || chip.name == "zenpower") {
            // Tdie is the die itself; Tctl may carry a fan-control offset, so it only stands in.
            const SensorChannel* package = labelled(chip, "Tdie");
            if (!package)
                package = labelled(chip, "Tctl");
            // Kernels before labels had Tctl alone, as temp1.
            if (!package && !chip.temps.empty() && chip.temps.front().label.empty())
                package = &chip.temps.front();
            if (package)
                s.packages.push_back(package->input);
            for (const auto& t : chip.temps)
                if (t.label.starts_with("Tccd"))
                    s.cores.push_back(t.input);
        }
    }
    if (!s.packages.empty() || !s.cores.empty())
        return s;
    for (const auto& zone : tree.thermalZones()) {
        const std::string type = normalisedZoneType(zone.type);
        if (type == "x86_pkg_temp" || type == "cpu_thermal" || type == "cpu" || type == "soc_thermal")
            s.packages.push_back(zone.temp);
        else if (type.find("cpu") != std::string::npos)
            s.cores.push_back(zone.temp);
    }
    return s;
}

Reading cpuAverage(LinuxSensorTree& tree)
{
    const CpuSources s = cpuSources(tree);
    if (const auto cores = mean(readingsOf(s.cores)))
        return cores;
    return maximum(readingsOf(s.packages));
}

Reading cpuMax(LinuxSensorTree& tree) { return maximum(readingsOf(cpuSources(tree).cores)); }

Reading cpuHotspot(LinuxSensorTree& tree)
{
    const CpuSources s = cpuSources(tree);
    if (const auto package = maximum(readingsOf(s.packages)))
        return package;
    return maximum(readingsOf(s.cores));
}

// The first GPU driver channel with one of the labels (in preference order) that gives a reading;
// an empty label stands for the chip's first channel (nouveau and radeon label nothing).
Reading gpuTemperature(LinuxSensorTree& tree, const std::vector<std::string>& labels)
{
    for (const auto& chip : tree.hwmonChips()) {
        if (!isGpuDriver(chip.name) || chip.temps.empty())
            continue;
        for (const auto& label : labels) {
            const SensorChannel* c = label.empty() ? &chip.temps.front() : labelled(chip, label);
            if (const auto v = c ? readMillidegrees(c->input) : std::nullopt)
                return v;
        }
    }
    return std::nullopt;
}

Reading gpuDie(LinuxSensorTree& tree)
{
    if (const auto v = gpuTemperature(tree, {"edge", "pkg", "junction", ""}))
        return v;
    for (const auto& zone : tree.thermalZones())
        if (normalisedZoneType(zone.type).find("gpu") != std::string::npos)
            if (const auto v = readMillidegrees(zone.temp))
                return v;
    return std::nullopt;
}

Reading gpuMemory(LinuxSensorTree& tree) { return gpuTemperature(tree, {"mem", "vram"}); }

// NVMe drives by their composite temperature, then SATA drives (drivetemp), in hwmon order.
Reading drive(LinuxSensorTree& tree, std::size_t index)
{
    std::vector<std::string> drives;
    for (const char* driver : {"nvme", "drivetemp"}) {
        for (const auto& chip : tree.hwmonChips()) {
            if (chip.name != driver || chip.temps.empty())
                continue;
            const SensorChannel* c = labelled(chip, "Composite");
            drives.push_back(c ? c->input : chip.temps.front().input);
        }
    }
    return index < drives.size() ? readMillidegrees(drives[index]) : std::nullopt;
}

Reading batteryCell(LinuxSensorTree& tree, std::size_t index)
{
    const auto& batteries = tree.systemBatteries();
    return index < batteries.size() ? readDecidegrees(batteries[index].folder + "/temp") : std::nullopt;
}

Reading ambient(LinuxSensorTree& tree)
{
    for (const auto& chip : tree.hwmonChips())
        for (const auto& t : chip.temps)
            if (lowered(t.label) == "ambient")
                if (const auto v = readMillidegrees(t.input))
                    return v;
    for (const auto& zone : tree.thermalZones())
        if (normalisedZoneType(zone.type).find("ambient") != std::string::npos)
            if (const auto v = readMillidegrees(zone.temp))
                return v;
    return std::nullopt;
}

// The hottest memory module sensor (DDR4 jc42, DDR5 spd5118).
Reading memory(LinuxSensorTree& tree)
{
    std::vector<std::string> sensors;
    for (const auto& chip : tree.hwmonChips())
        if (chip.name == "jc42" || chip.name == "spd5118")
            for (const auto& t : chip.temps)
                sensors.push_back(t.input);
    return maximum(readingsOf(sensors));
}

// While the machine runs on its battery, what the battery delivers is what the system draws.
Reading systemPower(LinuxSensorTree& tree)
{
    for (const auto& battery : tree.systemBatteries()) {
        if (readAttribute(battery.folder + "/status") != "Discharging")
            continue;
        Reading watts;
        if (const auto microwatts = readIntegerAttribute(battery.folder + "/power_now"))
            watts = std::fabs(static_cast<double>(*microwatts)) / 1e6;
        else if (const auto microamps = readIntegerAttribute(battery.folder + "/current_now"))
            if (const auto microvolts = readIntegerAttribute(battery.folder + "/voltage_now"))
                watts = std::fabs(static_cast<double>(*microamps) * static_cast<double>(*microvolts)) / 1e12;
        if (watts && *watts > 0 && *watts < kMaxSystemWatts)
            return watts;
    }
    return std::nullopt;
}

struct FixedKey {
    const char* key;
    Reading (*read)(LinuxSensorTree&);
};

// Temperature and power keys, all "flt " as on Apple silicon.
constexpr FixedKey kFixedKeys[] = {
    {"TPMP", cpuAverage},
    {"TPDX", cpuMax},
    {"TCHP", cpuHotspot},
    {"TG0D", gpuDie},
    {"TPVD", gpuMemory},
    {"TB0T", [](LinuxSensorTree& t) { return batteryCell(t, 0); }},
    {"TB1T", [](LinuxSensorTree& t) { return batteryCell(t, 1); }},
    {"TB2T", [](LinuxSensorTree& t) { return batteryCell(t, 2); }},
    {"TD00", [](LinuxSensorTree& t) { return drive(t, 0); }},
    {"TD10", [](LinuxSensorTree& t) { return drive(t, 1); }},
    {"TAOL", ambient},
    {"TMVR", memory},
    {"PSTR", systemPower},
};

Reading fanValue(const SensorChannel& fan, const std::string& suffix)
{
    if (suffix == "Ac")
        return readRpm(fan.input);
    const std::string base = fan.folder + "/fan" + std::to_string(fan.number);
    if (suffix == "Mn")
        return readRpm(base + "_min");
    // A maximum of 0 means the driver does not know it.
    const auto max = readRpm(base + "_max");
    return max && *max > 0 ? max : std::nullopt;
}

smc::SmcEntry entry(const std::string& key, SmcType type, double value)
{
    return smc::SmcEntry{key, type, smc::encode(type, value)};
}

// An Intel Mac's applesmc driver labels each temperature with its SMC key.
std::optional<smc::SmcEntry> appleSmcKey(LinuxSensorTree& tree, const std::string& key)
{
    for (const auto& chip : tree.hwmonChips())
        if (chip.name == "applesmc")
            if (const SensorChannel* c = labelled(chip, key))
                if (const auto v = readMillidegrees(c->input))
                    return entry(key, SmcType::Flt, *v);
    return std::nullopt;
}

std::optional<smc::SmcEntry> fanKey(LinuxSensorTree& tree, const std::string& key)
{
    if (key == "FNum") {
        const auto count = systemFans(tree).size();
        return count > 0 ? std::optional(entry(key, SmcType::Ui8, static_cast<double>(count))) : std::nullopt;
    }
    if (key.size() != 4 || key[0] != 'F' || key[1] < '0' || key[1] > '9')
        return std::nullopt;
    const std::string suffix = key.substr(2);
    if (suffix != "Ac" && suffix != "Mn" && suffix != "Mx")
        return std::nullopt;
    const auto fans = systemFans(tree);
    const auto index = static_cast<std::size_t>(key[1] - '0');
    if (index >= fans.size())
        return std::nullopt;
    const auto v = fanValue(*fans[index], suffix);
    return v ? std::optional(entry(key, SmcType::Flt, *v)) : std::nullopt;
}

} // namespace

std::vector<const SensorChannel*> systemFans(LinuxSensorTree& tree)
{
    std::vector<const SensorChannel*> fans;
    for (const auto& chip : tree.hwmonChips())
        if (!isGpuDriver(chip.name))
            for (const auto& f : chip.fans)
                if (fans.size() < kMaxFans)
                    fans.push_back(&f);
    return fans;
}

std::optional<smc::SmcEntry> LinuxSmcKeys::read(const std::string& key)
{
    if (auto real = appleSmcKey(tree_, key))
        return real;
    if (key.starts_with('F'))
        return fanKey(tree_, key);
    for (const auto& fixed : kFixedKeys)
        if (key == fixed.key) {
            const auto v = fixed.read(tree_);
            return v ? std::optional(entry(key, SmcType::Flt, *v)) : std::nullopt;
        }
    return std::nullopt;
}

std::vector<smc::SmcEntry> LinuxSmcKeys::readAll()
{
    std::vector<std::string> keys;
    for (const auto& fixed : kFixedKeys)
        keys.emplace_back(fixed.key);
    keys.emplace_back("FNum");
    for (std::size_t i = 0; i < systemFans(tree_).size(); ++i)
        for (const char* suffix : {"Ac", "Mn", "Mx"})
            keys.push_back("F" + std::to_string(i) + suffix);
    for (const auto& chip : tree_.hwmonChips())
        if (chip.name == "applesmc")
            for (const auto& t : chip.temps)
                if (t.label.size() == 4 && std::find(keys.begin(), keys.end(), t.label) == keys.end())
                    keys.push_back(t.label);

    std::vector<smc::SmcEntry> out;
    for (const auto& key : keys)
        if (auto e = read(key))
            out.push_back(std::move(*e));
    return out;
}

} // namespace vantrel::smc
