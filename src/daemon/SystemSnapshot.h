#pragma once
// The "get_system_snapshot" reply as its readers see it: every nested object optional,
// numbers read leniently, the memory level "unknown" when not given.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct SystemSnapshot {
    struct Cpu {
        std::optional<double> systemPercent;
        std::optional<double> userPercent;
        std::optional<double> idlePercent;
        std::optional<qint64> processCount;
        std::optional<qint64> threadCount;
        bool operator==(const Cpu&) const = default;
    };
    struct Memory {
        QString level = QStringLiteral("unknown");
        std::optional<double> usedBytes;
        std::optional<double> totalBytes;
        std::optional<double> appMemoryBytes;
        std::optional<double> wiredBytes;
        std::optional<double> compressedBytes;
        std::optional<double> cachedFilesBytes;
        std::optional<double> swapUsedBytes;
        bool operator==(const Memory&) const = default;
    };
    struct BatteryActivity {
        std::optional<QString> state;
        std::optional<QString> powerSource;
        bool operator==(const BatteryActivity&) const = default;
    };

    Cpu cpu;
    Memory memory;
    BatteryActivity batteryActivity;
    std::optional<double> ssdTemperatureCelsius;

    static SystemSnapshot fromReply(const QJsonObject& reply);
    bool operator==(const SystemSnapshot&) const = default;
};

} // namespace vantrel
