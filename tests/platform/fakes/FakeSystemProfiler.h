#pragma once
// A system profiler for tests answering with the overview a test sets.
#include "platform/SystemProfiler.h"

namespace vantrel::test {

class FakeSystemProfiler final : public SystemProfiler {
public:
    std::optional<HardwareOverview> overview;
    std::optional<HardwareOverview> hardwareOverview() const override { return overview; }
};

} // namespace vantrel::test
