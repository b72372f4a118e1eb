#include "smc/LinuxSensorTree.h"

#include <algorithm>
#include <utility>

#include "smc/SysfsFiles.h"

namespace vantrel::smc {

namespace {

constexpr double kLowestCelsius = -60.0;
constexpr double kHighestCelsius = 200.0;
constexpr double kHighestRpm = 100000.0;

// The channels of one kind ("temp", "fan") that have an input file, by channel number.
std::vector<SensorChannel> channels(const std::string& folder, const std::vector<std::string>& names, const char* kind,
                                    bool withLabels)
{
    std::vector<SensorChannel> out;
    for (const auto& name : names) {
        const auto n = numberBetween(name, kind, "_input");
        if (!n)
            continue;
        SensorChannel c;
        c.number = *n;
        c.input = folder + "/" + name;
        c.folder = folder;
        if (withLabels)
            c.label = readAttribute(folder + "/" + kind + std::to_string(*n) + "_label").value_or(std::string());
        out.push_back(std::move(c));
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    return out;
}

// The entries of root named prefix + a number ("hwmon3"), by number.
std::vector<std::string> numberedFolders(const std::string& root, std::string_view prefix)
{
    std::vector<std::pair<int, std::string>> numbered;
    for (const auto& entry : listFolder(root))
        if (const auto n = numberBetween(entry, prefix))
            numbered.emplace_back(*n, root + "/" + entry);
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> out;
    for (auto& [n, folder] : numbered)
        out.push_back(std::move(folder));
    return out;
}

std::optional<double> inRange(std::optional<double> value, double lo, double hi)
{
    return value && *value >= lo && *value <= hi ? value : std::nullopt;
}

std::optional<double> scaled(const std::string& path, double divisor)
{
    const auto raw = readIntegerAttribute(path);
    return raw ? std::optional(static_cast<double>(*raw) / divisor) : std::nullopt;
}

} // namespace

LinuxSensorTree::LinuxSensorTree(std::string classFolder)
    : classFolder_(std::move(classFolder))
{ }

const std::vector<HwmonChip>& LinuxSensorTree::hwmonChips()
{
    if (chips_)
        return *chips_;
    chips_.emplace();
    for (const auto& folder : numberedFolders(classFolder_ + "/hwmon", "hwmon")) {
        const auto names = listFolder(folder);
        HwmonChip chip;
        chip.name = readAttribute(folder + "/name").value_or(std::string());
        chip.temps = channels(folder, names, "temp", true);
        chip.fans = channels(folder, names, "fan", false);
        chips_->push_back(std::move(chip));
    }
    return *chips_;
}

const std::vector<ThermalZone>& LinuxSensorTree::thermalZones()
{
    if (zones_)
        return *zones_;
    zones_.emplace();
    for (const auto& folder : numberedFolders(classFolder_ + "/thermal", "thermal_zone"))
        zones_->push_back(ThermalZone{readAttribute(folder + "/type").value_or(std::string()), folder + "/temp"});
    return *zones_;
}

const std::vector<PowerSupplyFolder>& LinuxSensorTree::systemBatteries()
{
    if (batteries_)
        return *batteries_;
    batteries_.emplace();
    const std::string root = classFolder_ + "/power_supply";
    for (const auto& entry : listFolder(root)) {
        const std::string folder = root + "/" + entry;
        if (readAttribute(folder + "/type") == "Battery" && readAttribute(folder + "/scope") != "Device")
            batteries_->push_back(PowerSupplyFolder{entry, folder});
    }
    return *batteries_;
}

std::optional<double> readMillidegrees(const std::string& path)
{
    return inRange(scaled(path, 1000.0), kLowestCelsius, kHighestCelsius);
}

std::optional<double> readDecidegrees(const std::string& path)
{
    return inRange(scaled(path, 10.0), kLowestCelsius, kHighestCelsius);
}

std::optional<double> readRpm(const std::string& path) { return inRange(scaled(path, 1.0), 0.0, kHighestRpm); }

} // namespace vantrel::smc
