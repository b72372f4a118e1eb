#pragma once
// The fan page's collaborators over virtual time, a temporary preset file and a scripted daemon.
#include <memory>

#include <QJsonArray>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "fan/FanCurveObserver.h"
#include "fan/FanPresetStore.h"
#include "support/FakeDaemonTransport.h"
#include "support/TempDir.h"
#include "ui/fancurve/FanScreenServices.h"

namespace vantrel::test {

struct CountingFanObserver final : FanCurveObserver {
    int refreshes = 0;
    void refreshMacOSFanCurveAnalysis() override { ++refreshes; }
    void recordMacOSFanCurveSample(const HistoryDataPoint&) override { }
};

struct FanPageRig {
    TempDir dir;
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    std::shared_ptr<FakeDaemonTransport> transport = std::make_shared<FakeDaemonTransport>();
    std::shared_ptr<DaemonClient> daemon = std::make_shared<DaemonClient>(transport);
    FanPresetStore presets{dir.paths(), prefs, dispatch.clock()};
    FanControlState fan{prefs};
    FanConfigurationApplier applier{fan, *daemon, dispatch, [] { return true; }};
    CountingFanObserver observer;

    FanPageRig() { transport->replyOk(QStringLiteral("set_fan_config")); }

    FanScreenServices services() { return {&fan, &presets, &applier, &observer, nullptr}; }
    // Manual mode with curve as the current curve, as after choosing it.
    void manualWith(const FanCurveSettings& curve)
    {
        fan.setCurrentCurve(curve);
        fan.setFanMode(FanMode::Manual);
    }
    std::vector<QJsonObject> fanConfigs() const { return transport->requestsFor(QStringLiteral("set_fan_config")); }
    // (temperature, percent) pairs of a request's left curve.
    static std::vector<std::pair<double, double>> leftPoints(const QJsonObject& request)
    {
        std::vector<std::pair<double, double>> out;
        for (const auto& p : request.value(QStringLiteral("left_points")).toArray())
            out.emplace_back(p.toObject()[QStringLiteral("temp")].toDouble(),
                             p.toObject()[QStringLiteral("fan")].toDouble());
        return out;
    }
};

} // namespace vantrel::test
