#pragma once
// The battery history behind the power page's charts: every refresh reads the battery,
// adds the reading to the telemetry log and keeps the merged last twelve hours. Refreshes
// on start and every ten seconds while running.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QObject>

#include "base/Dispatch.h"
#include "power/BatteryTelemetryRecord.h"
#include "power/PowerSourceInfo.h"

namespace vantrel {

class BatteryTelemetryLog;

class PowerTelemetryFeed final : public QObject {
    Q_OBJECT
public:
    static constexpr double refreshSeconds = 10.0;
    static constexpr double temperatureWindowSeconds = 3600.0;

    // readBattery runs on a background queue; log may be null (no history is kept then).
    PowerTelemetryFeed(Dispatch& dispatch, std::shared_ptr<BatteryTelemetryLog> log,
                       std::function<PowerSourceInfo()> readBattery, QObject* parent = nullptr);
    ~PowerTelemetryFeed() override;

    void refresh();
    void start();
    void stop();
    bool isRunning() const { return timer_ != nullptr; }

    const std::vector<BatteryTelemetryRecord>& records() const { return records_; }
    // The latest reading, once one has arrived.
    std::optional<PowerSourceInfo> battery() const { return battery_; }
    int refreshCount() const { return refreshCount_; }
    bool hasPersistentLog() const { return log_ != nullptr; }
    // The moment the charts are drawn for (the dispatch clock, virtual in tests).
    QDateTime now() const;

    // The known temperatures of the last hour before now, oldest first.
    static std::vector<double> temperatureSeries(const std::vector<BatteryTelemetryRecord>& records,
                                                 const QDateTime& now);

Q_SIGNALS:
    void changed();

private:
    struct Reading {
        PowerSourceInfo battery;
        std::vector<BatteryTelemetryRecord> records;
    };

    Dispatch& dispatch_;
    std::shared_ptr<BatteryTelemetryLog> log_;
    std::function<PowerSourceInfo()> readBattery_;
    CancelToken timer_;
    bool inFlight_ = false;
    std::vector<BatteryTelemetryRecord> records_;
    std::optional<PowerSourceInfo> battery_;
    int refreshCount_ = 0;
};

} // namespace vantrel
