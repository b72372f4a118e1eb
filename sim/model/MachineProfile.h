#pragma once
// The simulated Mac's fixed hardware: identity, fans, battery, adapter, thermal constants.
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

namespace vantrel::sim {

struct FanSpec {
    int minRpm = 0;
    int maxRpm = 0;
};

struct MachineProfile {
    QString name; // the --model name
    QString modelIdentifier;
    QString modelName;
    QString marketingName;
    QString macosVersion = QStringLiteral("15.3.1"); // what the machine runs
    QString architecture = QStringLiteral("arm64");
    std::vector<FanSpec> fans;
    bool hasBattery = false;
    bool supportsClamshell = false;
    bool supportsSmcFanControl = false;
    bool supportsSafeFanControl = false;
    bool supportsBatterySmcControl = false;
    bool desktopClass = false;

    int designCapacityMah = 0;
    int rawMaxCapacityMah = 0;
    int cycleCount = 0;
    int adapterWatts = 0;
    int maxChargeCurrentMa = 0;

    double baseWatts = 0; // board, display and memory at rest
    double displayWatts = 0; // the built-in panel while the lid is open
    int builtInDisplayWidth = 0; // pixels; 0 without a built-in panel
    int builtInDisplayHeight = 0;
    double cpuIdleWatts = 0;
    double cpuMaxWatts = 0;
    double gpuMaxWatts = 0;
    double cpuThermalResistance = 0; // °C per watt from die to chassis with the fans still
    double chassisThermalResistance = 0; // °C per watt from chassis to room with the fans still
    double chassisTimeConstant = 0; // seconds
    double throttleCelsius = 0; // a fanless Mac slows its CPU down above this

    static MachineProfile laptop14();
    static MachineProfile fanlessLaptop();
    static MachineProfile desktop();
    // By --model name ("laptop14", "fanless", "desktop"); nothing for an unknown name.
    static std::optional<MachineProfile> named(const QString& name);
    static QStringList names();
};

} // namespace vantrel::sim
