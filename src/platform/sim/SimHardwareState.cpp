#include "platform/sim/SimHardwareState.h"

#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "platform/sim/SimStateDirectory.h"

namespace vantrel {

SimHardwareState::SimHardwareState(QString stateDirectory)
    : file_(stateDirectory + QLatin1Char('/') + QLatin1String(simstate::hardwareFile))
{ }

std::optional<QJsonObject> SimHardwareState::read() const
{
    const auto bytes = readFile(file_, 1024 * 1024);
    if (!bytes)
        return std::nullopt;
    return json::parseObject(*bytes);
}

std::optional<QJsonObject> SimHardwareState::firstPowerSourceDescription() const
{
    const auto state = read();
    return state ? json::object(*state, QStringLiteral("power_source")) : std::nullopt;
}

std::optional<QJsonObject> SimHardwareState::smartBatteryProperties() const
{
    const auto state = read();
    return state ? json::object(*state, QStringLiteral("battery_registry")) : std::nullopt;
}

ProcessResult SimHardwareState::batteryStatus() const
{
    ProcessResult result;
    const auto state = read();
    const auto text = state ? json::string(*state, QStringLiteral("pmset_batt")) : std::nullopt;
    if (!text)
        return result;
    result.launched = true;
    result.exitStatus = 0;
    result.standardOutput = text->toUtf8();
    return result;
}

std::optional<HardwareOverview> SimHardwareState::hardwareOverview() const
{
    const auto state = read();
    if (!state)
        return std::nullopt;
    const auto identifier = json::string(*state, QStringLiteral("model_identifier"));
    const auto name = json::string(*state, QStringLiteral("model_name"));
    if (!identifier && !name)
        return std::nullopt;
    HardwareOverview overview;
    overview.modelIdentifier = identifier.value_or(QString());
    overview.modelName = name.value_or(QString());
    overview.marketingName = json::string(*state, QStringLiteral("marketing_name")).value_or(QString());
    return overview;
}

std::optional<QString> SimHardwareState::macOSVersion() const
{
    const auto state = read();
    if (!state)
        return std::nullopt;
    return json::string(*state, QStringLiteral("macos_version"));
}

} // namespace vantrel
