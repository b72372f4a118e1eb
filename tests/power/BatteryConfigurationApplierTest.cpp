#include "power/BatteryConfigurationApplier.h"

#include <memory>

#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "power/BatteryPolicyState.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"

namespace vantrel {
namespace {

struct ApplierFixture : ::testing::Test {
    MemoryPreferences prefs;
    BatteryPolicyState state{prefs};
    std::shared_ptr<test::FakeDaemonTransport> daemon = std::make_shared<test::FakeDaemonTransport>();
    DaemonClient client{daemon};
    VirtualDispatch dispatch;
    bool hasBattery = true;
    BatteryConfigurationApplier applier{state, client, dispatch, [this] { return hasBattery; }};
    std::vector<bool> completions;

    bool apply(const QString& reason)
    {
        const bool attempted
            = applier.applyBatteryConfigurationNow(reason, [this](bool ok) { completions.push_back(ok); });
        dispatch.runUntilIdle();
        return attempted;
    }
};

TEST_F(ApplierFixture, SendsOnceAndSkipsTheDuplicateUntilTheDaemonIsLost)
{
    test::LogCapture log;
    daemon->replyOk("set_battery_config");
    EXPECT_TRUE(apply("startup"));
    EXPECT_TRUE(apply("again"));
    EXPECT_EQ(daemon->requestsFor("set_battery_config").size(), 1u);
    EXPECT_EQ(completions, (std::vector<bool>{true, true}));
    EXPECT_TRUE(log.contains("Vantrel battery sync (startup): enabled=true limit=80 chargeProtector=true drop=5 "
                             "heat=true maxTemp=35.0 safetyDrain=false safetyDrainTarget=auto ok=true"));
    EXPECT_TRUE(log.contains("Vantrel battery sync skipped duplicate (again): true|80|true|5|true|35|false|auto"));
    EXPECT_EQ(state.lastBatteryConfigSignature(), "true|80|true|5|true|35|false|auto");

    // A changed policy differs from the accepted signature and is sent.
    state.setChargeLimit(90);
    EXPECT_TRUE(apply("limit"));
    EXPECT_EQ(daemon->requestsFor("set_battery_config").size(), 2u);
    EXPECT_EQ(daemon->requestsFor("set_battery_config").back().value("limit").toInt(), 90);

    applier.forgetAppliedSignature();
    EXPECT_TRUE(apply("reconnected"));
    EXPECT_EQ(daemon->requestsFor("set_battery_config").size(), 3u) << "after daemon loss the same policy is resent";
}

TEST_F(ApplierFixture, OnlyAnAcceptedReplyStoresTheSignature)
{
    test::LogCapture log;
    for (auto reply : {std::optional<QJsonObject>(), std::optional(QJsonObject{{"status", "partial"}}),
                       std::optional(QJsonObject{{"status", "OK"}}), std::optional(QJsonObject{{"status", "error"}})}) {
        daemon->reply("set_battery_config", reply);
        completions.clear();
        EXPECT_TRUE(apply("try"));
        EXPECT_EQ(completions, std::vector<bool>{false});
        EXPECT_FALSE(state.lastBatteryConfigSignature().has_value());
    }
    EXPECT_EQ(daemon->requestsFor("set_battery_config").size(), 4u) << "each failed apply sends again";
    EXPECT_EQ(log.count("ok=false"), 4);
}

TEST_F(ApplierFixture, WithoutABatteryNothingIsAttempted)
{
    hasBattery = false;
    EXPECT_FALSE(apply("startup"));
    EXPECT_TRUE(daemon->requests().empty());
    EXPECT_TRUE(completions.empty());
}

TEST_F(ApplierFixture, CompletionWaitsForTheMainQueue)
{
    daemon->replyOk("set_battery_config");
    bool done = false;
    applier.applyBatteryConfigurationNow("x", [&](bool) { done = true; });
    EXPECT_FALSE(done) << "the send runs on a background queue";
    EXPECT_TRUE(daemon->requests().empty());
    dispatch.runUntilIdle();
    EXPECT_TRUE(done);
}

} // namespace
} // namespace vantrel
