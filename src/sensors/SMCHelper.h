#pragma once
// Reads the fixed SMC catalogue once per monitoring tick through the `smc` command-line tool
// (one shell launch for all twenty keys) and keeps the last good results for every reader.
#include <memory>
#include <mutex>
#include <vector>

#include <QHash>
#include <QString>
#include <QStringList>

#include "platform/ProcessRunner.h"
#include "sensors/SensorReading.h"

namespace vantrel {

struct SensorCatalogueEntry {
    QString key;
    QString label;
    SensorCategory category;
};

class SMCHelper {
public:
    // Everything one refresh produced, replaced together.
    struct Caches {
        QHash<QString, double> values;
        int fan0 = 0;
        int fan1 = 0;
        std::vector<SensorReading> readings;
        double cpuTemp = 45.0;
    };

    static constexpr double defaultCPUTemperature = 45.0;

    // smcPath: the installed tool ("/usr/local/vantrel/smc", see Paths::smcTool()).
    // commandPrefix goes before each invocation, e.g. "/usr/bin/sudo -n " where the tool must
    // run privileged; empty runs it directly.
    SMCHelper(std::shared_ptr<ProcessRunner> runner, QString smcPath, QString commandPrefix = {});

    // The fifteen catalogue rows in display order.
    static const std::vector<SensorCatalogueEntry>& sensorMap();
    // The catalogue keys, then "F0Ac", "F1Ac", "PSTR", "PCPC", "ACID".
    static const QStringList& keysToRead();

    // The shell command text of one refresh.
    QString commandText() const;
    // Runs the tool once for all keys and replaces the caches; blocks until it has exited.
    // A failed launch or output that is not UTF-8 keeps every cache as it was.
    void refreshAll();
    // Replaces the caches from what the tool printed, as refreshAll does with the tool's output;
    // false (caches kept) when the text is not UTF-8.
    bool applyToolOutput(const QByteArray& standardOutput);
    // The caches a given tool output produces (exposed for tests and benchmarks).
    static Caches cachesFromOutput(QStringView output);

    QString smcPath() const { return smcPath_; }

    // Each reader takes the lock; snapshot() copies all fields under one lock.
    std::vector<SensorReading> cachedReadings() const;
    Caches snapshot() const;

private:
    std::shared_ptr<ProcessRunner> runner_;
    QString smcPath_;
    QString commandPrefix_;
    mutable std::mutex lock_;
    Caches caches_;
};

} // namespace vantrel
