#include "sim/model/MachineProfile.h"

namespace vantrel::sim {

MachineProfile MachineProfile::laptop14()
{
    MachineProfile p;
    p.name = QStringLiteral("laptop14");
    p.modelIdentifier = QStringLiteral("Mac15,6");
    p.modelName = QStringLiteral("MacBook Pro");
    p.marketingName = QStringLiteral("MacBook Pro (14-inch, Nov 2023)");
    p.fans = {FanSpec{1200, 5700}, FanSpec{1200, 5700}};
    p.hasBattery = true;
    p.supportsClamshell = true;
    p.supportsSmcFanControl = true;
    p.supportsSafeFanControl = true;
    p.supportsBatterySmcControl = true;
    p.designCapacityMah = 6075;
    p.rawMaxCapacityMah = 5731;
    p.cycleCount = 128;
    p.adapterWatts = 70;
    p.maxChargeCurrentMa = 3000;
    p.baseWatts = 2.0;
    p.displayWatts = 3.5;
    p.builtInDisplayWidth = 3024;
    p.builtInDisplayHeight = 1964;
    p.cpuIdleWatts = 0.8;
    p.cpuMaxWatts = 28.0;
    p.gpuMaxWatts = 18.0;
    p.cpuThermalResistance = 3.0;
    p.chassisThermalResistance = 1.3;
    p.chassisTimeConstant = 300.0;
    p.throttleCelsius = 105.0;
    return p;
}

MachineProfile MachineProfile::fanlessLaptop()
{
    MachineProfile p;
    p.name = QStringLiteral("fanless");
    p.modelIdentifier = QStringLiteral("Mac15,12");
    p.modelName = QStringLiteral("MacBook Air");
    p.marketingName = QStringLiteral("MacBook Air (13-inch, M3, 2024)");
    p.hasBattery = true;
    p.supportsClamshell = true;
    p.supportsBatterySmcControl = true;
    p.designCapacityMah = 4382;
    p.rawMaxCapacityMah = 4297;
    p.cycleCount = 61;
    p.adapterWatts = 35;
    p.maxChargeCurrentMa = 2200;
    p.baseWatts = 1.5;
    p.displayWatts = 2.5;
    p.builtInDisplayWidth = 2560;
    p.builtInDisplayHeight = 1664;
    p.cpuIdleWatts = 0.5;
    p.cpuMaxWatts = 18.0;
    p.gpuMaxWatts = 9.0;
    p.cpuThermalResistance = 3.5;
    p.chassisThermalResistance = 1.8;
    p.chassisTimeConstant = 240.0;
    p.throttleCelsius = 100.0;
    return p;
}

MachineProfile MachineProfile::desktop()
{
    MachineProfile p;
    p.name = QStringLiteral("desktop");
    p.modelIdentifier = QStringLiteral("Mac14,3");
    p.modelName = QStringLiteral("Mac mini");
    p.marketingName = QStringLiteral("Mac mini (2023)");
    p.fans = {FanSpec{1700, 4900}};
    p.supportsSmcFanControl = true;
    p.supportsSafeFanControl = true;
    p.desktopClass = true;
    p.baseWatts = 4.0;
    p.cpuIdleWatts = 0.9;
    p.cpuMaxWatts = 30.0;
    p.gpuMaxWatts = 16.0;
    p.cpuThermalResistance = 2.6;
    p.chassisThermalResistance = 1.0;
    p.chassisTimeConstant = 360.0;
    p.throttleCelsius = 105.0;
    return p;
}

std::optional<MachineProfile> MachineProfile::named(const QString& name)
{
    if (name == QLatin1String("laptop14"))
        return laptop14();
    if (name == QLatin1String("fanless"))
        return fanlessLaptop();
    if (name == QLatin1String("desktop"))
        return desktop();
    return std::nullopt;
}

QStringList MachineProfile::names()
{
    return {QStringLiteral("laptop14"), QStringLiteral("fanless"), QStringLiteral("desktop")};
}

} // namespace vantrel::sim
