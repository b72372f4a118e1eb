#include "daemon/SystemSnapshot.h"

#include "base/JsonAccess.h"

namespace vantrel {

SystemSnapshot SystemSnapshot::fromReply(const QJsonObject& reply)
{
    SystemSnapshot snapshot;
    const QJsonObject cpu = json::object(reply, QStringLiteral("cpu")).value_or(QJsonObject());
    snapshot.cpu.systemPercent = json::lenientDouble(cpu, QStringLiteral("system_percent"));
    snapshot.cpu.userPercent = json::lenientDouble(cpu, QStringLiteral("user_percent"));
    snapshot.cpu.idlePercent = json::lenientDouble(cpu, QStringLiteral("idle_percent"));
    snapshot.cpu.processCount = json::lenientInteger(cpu, QStringLiteral("process_count"));
    snapshot.cpu.threadCount = json::lenientInteger(cpu, QStringLiteral("thread_count"));

    const QJsonObject memory = json::object(reply, QStringLiteral("memory")).value_or(QJsonObject());
    snapshot.memory.level = json::string(memory, QStringLiteral("level")).value_or(QStringLiteral("unknown"));
    snapshot.memory.usedBytes = json::lenientDouble(memory, QStringLiteral("used_bytes"));
    snapshot.memory.totalBytes = json::lenientDouble(memory, QStringLiteral("total_bytes"));
    snapshot.memory.appMemoryBytes = json::lenientDouble(memory, QStringLiteral("app_memory_bytes"));
    snapshot.memory.wiredBytes = json::lenientDouble(memory, QStringLiteral("wired_bytes"));
    snapshot.memory.compressedBytes = json::lenientDouble(memory, QStringLiteral("compressed_bytes"));
    snapshot.memory.cachedFilesBytes = json::lenientDouble(memory, QStringLiteral("cached_files_bytes"));
    snapshot.memory.swapUsedBytes = json::lenientDouble(memory, QStringLiteral("swap_used_bytes"));

    const QJsonObject battery = json::object(reply, QStringLiteral("battery_activity")).value_or(QJsonObject());
    snapshot.batteryActivity.state = json::string(battery, QStringLiteral("state"));
    snapshot.batteryActivity.powerSource = json::string(battery, QStringLiteral("power_source"));

    const QJsonObject ssd = json::object(reply, QStringLiteral("ssd")).value_or(QJsonObject());
    snapshot.ssdTemperatureCelsius = json::lenientDouble(ssd, QStringLiteral("temperature_celsius"));
    return snapshot;
}

} // namespace vantrel
