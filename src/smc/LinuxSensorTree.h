#pragma once
// What the sysfs class folders offer: hwmon chips with their temperature and fan channels,
// thermal zones and the system's batteries. Only names, labels and file paths are read here
// (cheap, no hardware access); values are read later, and only those a key needs.
#include <optional>
#include <string>
#include <vector>

namespace vantrel::smc {

struct SensorChannel {
    int number = 0; // N of tempN_* / fanN_*
    std::string label; // tempN_label, empty when there is none
    std::string input; // path of tempN_input / fanN_input
    std::string folder; // the chip's folder, for the channel's other attributes
};

// One hwmonN folder; the lists keep the order of N.
struct HwmonChip {
    std::string name;
    std::vector<SensorChannel> temps; // by channel number
    std::vector<SensorChannel> fans;
};

struct ThermalZone {
    std::string type;
    std::string temp; // path of the zone's temp file
};

struct PowerSupplyFolder {
    std::string name;
    std::string folder;
};

class LinuxSensorTree {
public:
    // classFolder: the sysfs class folder ("/sys/class", re-rooted for tests).
    explicit LinuxSensorTree(std::string classFolder);

    // Each list is gathered on first use, so a key that needs fans never lists thermal zones.
    const std::vector<HwmonChip>& hwmonChips();
    const std::vector<ThermalZone>& thermalZones();
    // Supplies of type "Battery" that belong to the system (not scope "Device": mice, headsets).
    const std::vector<PowerSupplyFolder>& systemBatteries();

private:
    std::string classFolder_;
    std::optional<std::vector<HwmonChip>> chips_;
    std::optional<std::vector<ThermalZone>> zones_;
    std::optional<std::vector<PowerSupplyFolder>> batteries_;
};

// Readings with their units converted; nothing for an unreadable file, text that is not an
// integer, or a value no working sensor gives (a disconnected probe reads -128 or 255 °C).
std::optional<double> readMillidegrees(const std::string& path);
std::optional<double> readDecidegrees(const std::string& path);
std::optional<double> readRpm(const std::string& path);

} // namespace vantrel::smc
