#include "sim/model/HardwareDescription.h"

#include <cmath>

namespace vantrel::sim {

namespace {

constexpr const char* kAdapterDescription = "pd charger";

// Minutes to full while charging and to empty while discharging; nothing otherwise.
std::optional<int> minutesToFull(const Battery& b)
{
    if (b.currentMa() <= 0)
        return std::nullopt;
    return static_cast<int>(std::lround((b.rawMaxCapacityMah() - b.chargeMah()) / b.currentMa() * 60.0));
}

std::optional<int> minutesToEmpty(const Battery& b)
{
    if (b.currentMa() >= 0)
        return std::nullopt;
    return static_cast<int>(std::lround(b.chargeMah() / -b.currentMa() * 60.0));
}

QString healthText(const Battery& b)
{
    return b.rawMaxCapacityMah() >= 0.8 * b.designCapacityMah() ? QStringLiteral("Good") : QStringLiteral("Fair");
}

// Full on the adapter, and the adapter carries the Mac (a battery that is being drawn down is not charged).
bool isCharged(const SimulatedMac& mac)
{
    return mac.adapterConnected() && mac.battery()->full() && mac.battery()->currentMa() >= 0;
}

} // namespace

std::optional<QJsonObject> powerSourceDescription(const SimulatedMac& mac)
{
    const Battery* b = mac.battery();
    if (!b)
        return std::nullopt;
    QJsonObject d{
        {QStringLiteral("Name"), QStringLiteral("InternalBattery-0")},
        {QStringLiteral("Type"), QStringLiteral("InternalBattery")},
        {QStringLiteral("Transport Type"), QStringLiteral("Internal")},
        {QStringLiteral("Is Present"), true},
        {QStringLiteral("Power Source State"),
         mac.adapterConnected() ? QStringLiteral("AC Power") : QStringLiteral("Battery Power")},
        {QStringLiteral("Current Capacity"), b->percent()},
        {QStringLiteral("Max Capacity"), 100},
        {QStringLiteral("Is Charging"), mac.isCharging()},
        {QStringLiteral("Is Charged"), isCharged(mac)},
        {QStringLiteral("Cycle Count"), b->cycleCount()},
        {QStringLiteral("Voltage"), static_cast<int>(std::lround(b->voltage() * 1000.0))},
        {QStringLiteral("Current"), static_cast<int>(std::lround(b->currentMa()))},
        {QStringLiteral("BatteryHealth"), healthText(*b)},
        {QStringLiteral("Battery Provides Time Remaining"), true},
    };
    if (mac.adapterConnected()) {
        d.insert(QStringLiteral("AdapterDetailsWatts"), mac.adapterWatts());
        d.insert(QStringLiteral("AdapterDetailsDescription"), QLatin1String(kAdapterDescription));
    }
    if (const auto m = minutesToFull(*b))
        d.insert(QStringLiteral("Time to Full Charge"), *m);
    if (const auto m = minutesToEmpty(*b))
        d.insert(QStringLiteral("Time to Empty"), *m);
    return d;
}

std::optional<QJsonObject> batteryRegistry(const SimulatedMac& mac)
{
    const Battery* b = mac.battery();
    if (!b)
        return std::nullopt;
    const int current = static_cast<int>(std::lround(b->currentMa()));
    QJsonObject r{
        {QStringLiteral("BatteryInstalled"), true},
        {QStringLiteral("CycleCount"), b->cycleCount()},
        {QStringLiteral("DesignCycleCount9C"), 1000},
        {QStringLiteral("DesignCapacity"), b->designCapacityMah()},
        {QStringLiteral("AppleRawMaxCapacity"), b->rawMaxCapacityMah()},
        {QStringLiteral("AppleRawCurrentCapacity"), static_cast<int>(std::floor(b->chargeMah()))},
        {QStringLiteral("MaxCapacity"), 100},
        {QStringLiteral("CurrentCapacity"), b->percent()},
        {QStringLiteral("InstantAmperage"), current},
        {QStringLiteral("Amperage"), current},
        {QStringLiteral("Voltage"), static_cast<int>(std::lround(b->voltage() * 1000.0))},
        // Hundredths of a degree Celsius, as the registry keeps it.
        {QStringLiteral("Temperature"), static_cast<int>(std::lround(b->temperature() * 100.0))},
        {QStringLiteral("ExternalConnected"), mac.adapterConnected()},
        {QStringLiteral("IsCharging"), mac.isCharging()},
        {QStringLiteral("FullyCharged"), isCharged(mac)},
    };
    if (mac.adapterConnected())
        r.insert(QStringLiteral("AdapterDetails"),
                 QJsonObject{{QStringLiteral("Watts"), mac.adapterWatts()},
                             {QStringLiteral("Description"), QLatin1String(kAdapterDescription)}});
    return r;
}

QString pmsetBatteryText(const SimulatedMac& mac)
{
    QString text = mac.adapterConnected() ? QStringLiteral("Now drawing from 'AC Power'\n")
                                          : QStringLiteral("Now drawing from 'Battery Power'\n");
    const Battery* b = mac.battery();
    if (!b)
        return text;
    QString state;
    std::optional<int> minutes;
    if (mac.isCharging()) {
        state = QStringLiteral("charging");
        minutes = minutesToFull(*b);
    } else if (b->currentMa() < 0) {
        state = QStringLiteral("discharging");
        minutes = minutesToEmpty(*b);
    } else if (isCharged(mac)) {
        state = QStringLiteral("charged");
        minutes = 0;
    } else {
        state = QStringLiteral("AC attached; not charging");
    }
    const QString remaining = minutes
        ? QStringLiteral("%1:%2 remaining").arg(*minutes / 60).arg(*minutes % 60, 2, 10, QLatin1Char('0'))
        : QStringLiteral("(no estimate)");
    text += QStringLiteral(" -InternalBattery-0 (id=4653155)\t%1%; %2; %3 present: true\n")
                .arg(b->percent())
                .arg(state, remaining);
    return text;
}

QJsonObject hardwareDescription(const SimulatedMac& mac)
{
    const MachineProfile& p = mac.profile();
    const auto source = powerSourceDescription(mac);
    const auto registry = batteryRegistry(mac);
    return QJsonObject{
        {QStringLiteral("model_identifier"), p.modelIdentifier},
        {QStringLiteral("model_name"), p.modelName},
        {QStringLiteral("marketing_name"), p.marketingName},
        {QStringLiteral("macos_version"), p.macosVersion},
        {QStringLiteral("adapter_connected"), mac.adapterConnected()},
        {QStringLiteral("lid_closed"), mac.lidClosed()},
        {QStringLiteral("external_display_count"), mac.externalDisplays()},
        {QStringLiteral("built_in_display"),
         p.builtInDisplayWidth > 0 ? QJsonValue(QJsonObject{{QStringLiteral("width"), p.builtInDisplayWidth},
                                                            {QStringLiteral("height"), p.builtInDisplayHeight}})
                                   : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("power_source"), source ? QJsonValue(*source) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("battery_registry"), registry ? QJsonValue(*registry) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("pmset_batt"), pmsetBatteryText(mac)},
        {QStringLiteral("platform"), mac.platform().toJson()},
        {QStringLiteral("epoch_seconds"), mac.epochSeconds()},
    };
}

} // namespace vantrel::sim
