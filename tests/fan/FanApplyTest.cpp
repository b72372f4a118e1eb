#include <memory>

#include <QJsonArray>

#include <gtest/gtest.h>

#include "FanTestSupport.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "fan/SmartAppPresetSheetModel.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

QJsonArray wire(const Shape& shape)
{
    QJsonArray out;
    for (const auto& [t, f] : shape)
        out.append(QJsonObject{{"temp", t}, {"fan", f}});
    return out;
}

QJsonObject fanConfig(const QString& mode, bool unified, const Shape& left, const Shape& right, const QString& preset,
                      bool smart)
{
    return {
        {"cmd", "set_fan_config"},     {"mode", mode},          {"unified", unified},       {"left_points", wire(left)},
        {"right_points", wire(right)}, {"preset_name", preset}, {"smart_app_preset", smart}};
}

const Shape silentShape{{0, 0}, {50, 0}, {65, 18}, {82, 42}, {100, 100}};
const Shape performanceShape{{0, 0}, {45, 45}, {60, 70}, {78, 90}, {100, 100}};

struct ApplyFixture : ::testing::Test {
    std::shared_ptr<FakeDaemonTransport> daemon = std::make_shared<FakeDaemonTransport>();
    DaemonClient client{daemon};
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    FanControlState state{prefs};
    bool safeFanControl = true;
};

} // namespace

TEST_F(ApplyFixture, ApplyNowSendsASnapshotOfSplitCurvesAndCompletesOnMain)
{
    FanConfigurationApplier applier(state, client, dispatch, [this] { return safeFanControl; });
    daemon->replyOk("set_fan_config");
    state.setFanMode(FanMode::Manual);
    state.setUnifiedFanControl(false);
    state.setCurrentCurve(FanCurveSettings::defaultSilent());
    state.setCurrentCurveRight(FanCurveSettings::defaultPerformance());
    state.setSmartAppPresetEnabled(true);

    LogCapture log;
    std::vector<bool> results;
    EXPECT_TRUE(applier.applyFanConfigurationNow("legacy-migrate", [&](bool ok) { results.push_back(ok); }));
    state.setCurrentCurve(FanCurveSettings::defaultBalanced()); // after the call: not in the send
    EXPECT_TRUE(daemon->requests().empty());
    dispatch.runUntilIdle();
    ASSERT_EQ(daemon->requests().size(), 1u);
    EXPECT_EQ(daemon->requests()[0], fanConfig("manual", false, silentShape, performanceShape, "curve_silent", true));
    EXPECT_EQ(results, std::vector<bool>{true});
    EXPECT_TRUE(
        log.contains("Vantrel fan sync (legacy-migrate): mode=Manual Curve unified=false smartAppPreset=true ok=true"));

    // Any status but exactly "ok" fails; so does silence.
    daemon->reply("set_fan_config", QJsonObject{{"status", "OK"}});
    applier.applyFanConfigurationNow("retry", [&](bool ok) { results.push_back(ok); });
    daemon->reply("set_fan_config", std::nullopt);
    applier.applyFanConfigurationNow("retry", [&](bool ok) { results.push_back(ok); });
    dispatch.runUntilIdle();
    EXPECT_EQ(results, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(log.count("ok=false"), 2);
}

TEST_F(ApplyFixture, ApplyNowWithoutSafeFanControlIsANoOpAndLateCompletionsAreDropped)
{
    int completions = 0;
    {
        FanConfigurationApplier applier(state, client, dispatch, [this] { return safeFanControl; });
        safeFanControl = false;
        EXPECT_FALSE(applier.applyFanConfigurationNow("x", [&](bool) { ++completions; }));
        dispatch.runUntilIdle();
        EXPECT_TRUE(daemon->requests().empty());

        safeFanControl = true;
        daemon->replyOk("set_fan_config");
        EXPECT_TRUE(applier.applyFanConfigurationNow("x", [&](bool) { ++completions; }));
    }
    dispatch.runUntilIdle(); // the applier is gone before the reply is handed back
    EXPECT_EQ(daemon->requests().size(), 1u);
    EXPECT_EQ(completions, 0);
}

TEST_F(ApplyFixture, SmartAppRuleSendsThePerformanceCurveUnderTheChosenName)
{
    SmartAppPresetSheetModel sheet(client);
    EXPECT_EQ(sheet.actionStatus().keys, QStringList{"fan.smart_app.status.default"});
    EXPECT_EQ(sheet.rules().at(2).onLaunch, "Performance");
    sheet.setSelectedPreset("Silent");
    sheet.setSelectedPreset("Turbo"); // not a choice
    sheet.setRestorePreset("Auto");
    EXPECT_EQ(sheet.rules().at(2).onExit, "Auto");

    daemon->replyOk("set_fan_config");
    sheet.saveRule();
    ASSERT_EQ(daemon->requests().size(), 1u);
    EXPECT_EQ(daemon->requests()[0], fanConfig("manual", true, performanceShape, performanceShape, "Silent", true));
    EXPECT_EQ(sheet.actionStatus(), FanStatusLine::make("fan.smart_app.save_success", StatusTone::Success));
    EXPECT_FALSE(state.smartAppPresetEnabled());

    daemon->reply("set_fan_config", std::nullopt);
    sheet.saveRule();
    EXPECT_EQ(sheet.actionStatus(), FanStatusLine::make("fan.smart_app.save_failure", StatusTone::Failure));
    sheet.addApp();
    EXPECT_EQ(sheet.actionStatus(), FanStatusLine::make("fan.smart_app.add_app_missing_contract", StatusTone::Warning));
}
