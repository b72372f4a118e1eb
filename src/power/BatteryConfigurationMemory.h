#pragma once
// The memory of the last battery configuration sent to the daemon; a lost daemon makes it
// stale, so the next apply sends again instead of being skipped as a duplicate.
namespace vantrel {

class BatteryConfigurationMemory {
public:
    virtual ~BatteryConfigurationMemory() = default;
    virtual void forgetAppliedSignature() = 0;
};

} // namespace vantrel
