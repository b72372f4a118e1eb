#pragma once
// Power-source, battery-registry and pmset stand-ins for tests, each holding a scripted answer.
#include <atomic>

#include "platform/BatteryRegistry.h"
#include "platform/PmsetBattery.h"
#include "platform/PowerSources.h"

namespace vantrel::test {

class FakePowerSources final : public PowerSources {
public:
    std::optional<QJsonObject> description;
    std::optional<QJsonObject> firstPowerSourceDescription() const override { return description; }
};

class FakeBatteryRegistry final : public BatteryRegistry {
public:
    std::optional<QJsonObject> properties;
    std::optional<QJsonObject> smartBatteryProperties() const override { return properties; }
};

class FakePmsetBattery final : public PmsetBattery {
public:
    ProcessResult result; // not launched until a test says otherwise
    mutable std::atomic<int> runs{0};
    ProcessResult batteryStatus() const override
    {
        ++runs;
        return result;
    }
    void setOutput(const QByteArray& text, int exitStatus = 0) { result = ProcessResult{true, exitStatus, text}; }
};

} // namespace vantrel::test
