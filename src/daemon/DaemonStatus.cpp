#include "daemon/DaemonStatus.h"

#include "base/JsonAccess.h"

namespace vantrel {
namespace {

const QString kStatus = QStringLiteral("status");
const QString kCpuTemp = QStringLiteral("cpu_temp");
const QString kFan0 = QStringLiteral("fan0");
const QString kFan1 = QStringLiteral("fan1");
const QString kBatteryPercent = QStringLiteral("battery_percent");

// In the encoded form a key may be absent or null; a value of another type makes the whole
// record undecodable, as a typed decoder would.
template <class T, class Read>
bool decodeOptional(const QJsonObject& object, const QString& key, Read read, std::optional<T>& out)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return true;
    out = read(value);
    return out.has_value();
}

} // namespace

DaemonStatus DaemonStatus::fromReply(const QJsonObject& reply)
{
    DaemonStatus status;
    status.status = json::string(reply, kStatus).value_or(QStringLiteral("error"));
    status.cpu_temp = json::number(reply, kCpuTemp);
    status.fan0 = json::integer(reply, kFan0);
    status.fan1 = json::integer(reply, kFan1);
    status.battery_percent = json::integer(reply, kBatteryPercent);
    return status;
}

QJsonObject DaemonStatus::toJson() const
{
    QJsonObject object{{kStatus, status}};
    if (cpu_temp)
        object.insert(kCpuTemp, *cpu_temp);
    if (fan0)
        object.insert(kFan0, *fan0);
    if (fan1)
        object.insert(kFan1, *fan1);
    if (battery_percent)
        object.insert(kBatteryPercent, *battery_percent);
    return object;
}

std::optional<DaemonStatus> DaemonStatus::fromJson(const QJsonObject& object)
{
    DaemonStatus decoded;
    const auto status = json::string(object, kStatus);
    if (!status)
        return std::nullopt;
    decoded.status = *status;
    if (!decodeOptional(object, kCpuTemp, json::asDouble, decoded.cpu_temp)
        || !decodeOptional(object, kFan0, json::asInteger, decoded.fan0)
        || !decodeOptional(object, kFan1, json::asInteger, decoded.fan1)
        || !decodeOptional(object, kBatteryPercent, json::asInteger, decoded.battery_percent))
        return std::nullopt;
    return decoded;
}

} // namespace vantrel
