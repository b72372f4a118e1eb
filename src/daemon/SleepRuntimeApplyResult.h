#pragma once
// What the daemon did with "set_system_sleep_disabled": the request as it understood it and
// the sleep state it actually holds.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct SleepRuntimeApplyResult {
    static const QString invalidResponseCode; // "ERR_INVALID_SLEEP_APPLY_RESPONSE"

    bool succeeded = false;
    bool requestedEnabled = false;
    bool effectiveEnabled = false;
    bool lowBatteryVanillaActive = false;
    std::optional<QString> code;
    bool stateAuthoritative = false;

    // The result for no reply or a malformed one.
    static SleepRuntimeApplyResult invalid();
    static SleepRuntimeApplyResult fromReply(const std::optional<QJsonObject>& reply);
    bool operator==(const SleepRuntimeApplyResult&) const = default;
};

} // namespace vantrel
