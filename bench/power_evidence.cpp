// Figure for the once-a-minute policy evidence: one capture against an in-process daemon
// stand-in, including the private folder, the sorted JSON and the atomic write.
#include <memory>

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "base/Paths.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "power/OnlyPowerPolicyEvidenceRecorder.h"
#include "support/FakeDaemonTransport.h"

using namespace vantrel;

namespace {

void BM_EvidenceCapture(benchmark::State& state)
{
    QTemporaryDir dir;
    const Paths paths = Paths::underRoot(dir.path());
    auto daemon = std::make_shared<test::FakeDaemonTransport>();
    daemon->replyOk("get_power_policy_state",
                    QJsonObject{{"app_lease_active", true},
                                {"hardware_fallback_active", false},
                                {"low_battery_vanilla_active", false},
                                {"external_power_connected", true},
                                {"battery_percent", 80},
                                {"charge_limit_enabled", true},
                                {"target_charge_limit", 80},
                                {"charge_protector_enabled", true},
                                {"safety_drain_enabled", false},
                                {"safety_drain_active", false},
                                {"heat_protection_enabled", true},
                                {"power_only_state", "power_only_at_target"},
                                {"fan_preset_name", "Balanced"},
                                {"one_time_full_charge_active", false}});
    DaemonClient client(daemon);
    VirtualDispatch dispatch;
    OnlyPowerPolicyEvidenceRecorder recorder(client, dispatch, paths);
    for (auto _ : state) {
        recorder.capture();
        dispatch.runUntilIdle(); // the write on the recorder's queue
    }
}
BENCHMARK(BM_EvidenceCapture)->Unit(benchmark::kMicrosecond);

} // namespace
