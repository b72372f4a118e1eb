// The fan page's operations against a running vantrel-sim: choosing a preset card hands the
// fans to the curve, and moving the editor's handles changes the simulated fans within seconds.
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "SimProcess.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "fan/FanCurveObserver.h"
#include "fan/FanPresetStore.h"
#include "ui/fancurve/FanCurvePageState.h"

using namespace vantrel;

namespace {

struct IdleObserver final : FanCurveObserver {
    void refreshMacOSFanCurveAnalysis() override { }
    void recordMacOSFanCurveSample(const HistoryDataPoint&) override { }
};

QJsonObject firstFan(const test::SimProcess& sim)
{
    QByteArray out;
    EXPECT_EQ(sim.ctl({"state"}, &out), 0);
    return QJsonDocument::fromJson(out).object()["fans"].toArray().first().toObject();
}

} // namespace

TEST(FanPageSim, PresetCardAndDraggedCurveDriveTheSimulatedFans)
{
    test::TempDir dir;
    test::SimProcess sim(dir);
    ASSERT_TRUE(sim.start());
    ASSERT_EQ(sim.ctl({"load", "cpu_percent=60"}), 0);
    ASSERT_EQ(sim.ctl({"step", "seconds=60"}), 0);

    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    auto daemon
        = std::make_shared<DaemonClient>(std::make_shared<DaemonSocketTransport>(dispatch, sim.socketPath(), false));
    FanPresetStore presets(dir.paths(), prefs, dispatch.clock());
    FanControlState fan(prefs);
    FanConfigurationApplier applier(fan, *daemon, dispatch, [] { return true; });
    IdleObserver observer;
    FanCurvePageState state({&fan, &presets, &applier, &observer, nullptr}, daemon, dispatch);
    state.appear();
    ASSERT_TRUE(state.isMacOSDefault());

    state.page().applyPreset(FanPageModel::silentCard);
    EXPECT_EQ(state.status().tone, StatusTone::Success);
    ASSERT_EQ(sim.ctl({"step", "seconds=5"}), 0);
    const QJsonObject silent = firstFan(sim);
    EXPECT_EQ(silent["mode"].toString(), "manual");
    const double silentTarget = silent["target_rpm"].toDouble();

    // Drag every handle to the top: the fans are asked for full speed at any temperature.
    state.moveHandle(FanCurveHandle::high, {97, 100});
    state.moveHandle(FanCurveHandle::work, {60, 100});
    state.moveHandle(FanCurveHandle::current, {30, 100});
    dispatch.runUntilIdle();
    EXPECT_EQ(state.status().tone, StatusTone::Success);
    ASSERT_EQ(sim.ctl({"step", "seconds=5"}), 0);
    const QJsonObject dragged = firstFan(sim);
    EXPECT_GT(dragged["target_rpm"].toDouble(), silentTarget);
    EXPECT_GE(dragged["target_rpm"].toDouble(), 0.95 * dragged["max_rpm"].toDouble());
    EXPECT_GT(dragged["actual_rpm"].toDouble(), silent["actual_rpm"].toDouble());

    // Back to the operating system: the simulated fans follow their stock curve again.
    state.page().applyOperatingMode(FanPageModel::macOSDefaultCard);
    ASSERT_EQ(sim.ctl({"step", "seconds=5"}), 0);
    EXPECT_EQ(firstFan(sim)["mode"].toString(), "auto");
    // Locked again: a drag sends nothing more.
    EXPECT_FALSE(state.moveHandle(FanCurveHandle::work, {50, 10}));
    sim.terminate();
}
