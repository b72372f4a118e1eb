#include "ui/power/PowerTelemetryFeed.h"

#include <algorithm>

#include <QPointer>

#include "power/BatteryTelemetryLog.h"

namespace vantrel {

PowerTelemetryFeed::PowerTelemetryFeed(Dispatch& dispatch, std::shared_ptr<BatteryTelemetryLog> log,
                                       std::function<PowerSourceInfo()> readBattery, QObject* parent)
    : QObject(parent)
    , dispatch_(dispatch)
    , log_(std::move(log))
    , readBattery_(std::move(readBattery))
{ }

PowerTelemetryFeed::~PowerTelemetryFeed() { stop(); }

void PowerTelemetryFeed::refresh()
{
    // One refresh at a time: a slow reading must not queue another behind it every tick.
    if (inFlight_ || !readBattery_)
        return;
    inFlight_ = true;
    dispatch_.global(QoS::UserInitiated)
        ->async([log = log_, read = readBattery_, main = dispatch_.main(), guard = QPointer<PowerTelemetryFeed>(this)] {
            Reading reading;
            reading.battery = read();
            // A machine without a power source description (no battery) adds nothing; the
            // history is still shown.
            const bool hasReading = reading.battery.powerSourceState.has_value();
            if (log && hasReading)
                reading.records = log->appendAndLoadRecent(std::clamp(reading.battery.batteryPercent, 0, 100),
                                                           reading.battery.temperature, reading.battery.isCharging);
            else if (log)
                reading.records = log->loadRecent(BatteryTelemetryLog::chartHours);
            main->async([guard, reading = std::move(reading)] {
                if (!guard)
                    return;
                guard->inFlight_ = false;
                guard->battery_ = reading.battery;
                guard->records_ = reading.records;
                ++guard->refreshCount_;
                Q_EMIT guard->changed();
            });
        });
}

QDateTime PowerTelemetryFeed::now() const { return dispatch_.clock().now(); }

void PowerTelemetryFeed::start()
{
    if (timer_)
        return;
    refresh();
    timer_ = dispatch_.every(dispatch_.main(), seconds(refreshSeconds), seconds(1),
                             weakly(this, [](PowerTelemetryFeed* self) { self->refresh(); }));
}

void PowerTelemetryFeed::stop()
{
    if (!timer_)
        return;
    timer_->cancel();
    timer_.reset();
}

std::vector<double> PowerTelemetryFeed::temperatureSeries(const std::vector<BatteryTelemetryRecord>& records,
                                                          const QDateTime& now)
{
    const QDateTime from = now.addSecs(-static_cast<qint64>(temperatureWindowSeconds));
    std::vector<const BatteryTelemetryRecord*> recent;
    for (const BatteryTelemetryRecord& r : records)
        if (r.temperature && r.timestamp >= from && r.timestamp <= now)
            recent.push_back(&r);
    std::stable_sort(recent.begin(), recent.end(),
                     [](const auto* a, const auto* b) { return a->timestamp < b->timestamp; });
    std::vector<double> series;
    series.reserve(recent.size());
    for (const auto* r : recent)
        series.push_back(*r->temperature);
    return series;
}

} // namespace vantrel
