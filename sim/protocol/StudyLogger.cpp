#include "sim/protocol/StudyLogger.h"

#include <cmath>

#include <QDateTime>

#include "base/JsonLines.h"

namespace vantrel::sim {

void StudyLogger::step(const SimulatedMac& mac)
{
    if (!enabled() || !mac.battery())
        return;
    const double now = mac.epochSeconds();
    if (nextDue_ && now < *nextDue_)
        return;
    jsonl::append(path_, sample(mac));
    nextDue_ = now + interval_;
}

QJsonObject StudyLogger::sample(const SimulatedMac& mac)
{
    const Battery* b = mac.battery();
    const BatteryConfig& config = mac.policy().config();
    // Power-only operation: the adapter runs the Mac while the policy holds the battery.
    const bool onlyPower = mac.adapterConnected() && config.limitEnabled;
    const auto when = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(mac.epochSeconds() * 1000.0))
                          .toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc());
    QJsonObject s{
        {QStringLiteral("timestamp"), when.toString(Qt::ISODate)},
        {QStringLiteral("epoch_seconds"), mac.epochSeconds()},
        {QStringLiteral("phase"), onlyPower ? QStringLiteral("only_power") : QStringLiteral("baseline")},
        {QStringLiteral("external_connected"), mac.adapterConnected()},
        {QStringLiteral("system_power_watts"), std::round(mac.systemWatts() * 100.0) / 100.0},
        {QStringLiteral("policy_verified"), onlyPower},
    };
    if (b) {
        s.insert(QStringLiteral("cycle_count"), b->cycleCount());
        s.insert(QStringLiteral("raw_max_capacity_mAh"), b->rawMaxCapacityMah());
        s.insert(QStringLiteral("instant_amperage_mA"), static_cast<int>(std::lround(b->currentMa())));
        s.insert(QStringLiteral("is_charging"), mac.isCharging());
        s.insert(QStringLiteral("battery_power_watts"), std::round(mac.batteryWatts() * 100.0) / 100.0);
        s.insert(QStringLiteral("state_of_charge_percent"), b->percent());
    }
    return s;
}

} // namespace vantrel::sim
