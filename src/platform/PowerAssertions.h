#pragma once
// Power-management assertions: what keeps the machine (or just its display) awake while this
// application holds them, and the lid switch while the virtual clamshell owns the lid.
// May be called from any thread.
#include <cstdint>
#include <optional>

#include <QString>

namespace vantrel {

using PowerAssertionId = std::uint32_t;

namespace assertion_type {
inline constexpr const char* preventSystemSleep = "PreventSystemSleep";
inline constexpr const char* preventUserIdleSystemSleep = "PreventUserIdleSystemSleep";
inline constexpr const char* noDisplaySleep = "NoDisplaySleepAssertion";
} // namespace assertion_type

class PowerAssertions {
public:
    virtual ~PowerAssertions() = default;
    // Creates an assertion of type at the "on" level, named name; its id (never 0), or nothing
    // when the platform refused or does not know the type.
    virtual std::optional<PowerAssertionId> create(const QString& type, const QString& name) = 0;
    // False when no assertion with that id is held.
    virtual bool release(PowerAssertionId id) = 0;
    // While held, closing the lid does not suspend the machine. Platforms whose clamshell sleep
    // already follows the attached displays have nothing to do and answer true. False when the
    // hold could not be taken.
    virtual bool holdLidSwitch(bool held) = 0;
};

} // namespace vantrel
