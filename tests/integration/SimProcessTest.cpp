// vantrel-sim as a program: one command starts it, its control command line drives it, and a
// restart keeps what the user set.
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include "SimProcess.h"
#include "base/JsonAccess.h"
#include "daemonserver/RawExchange.h"

using namespace vantrel;

TEST(SimProcess, ControlCommandLineAndRestartKeepTheUserSettings)
{
    test::TempDir dir;
    {
        test::SimProcess sim(dir);
        ASSERT_TRUE(sim.start());
        QByteArray out;
        EXPECT_EQ(sim.ctl({"state"}, &out), 0);
        EXPECT_EQ(json::parseObject(out)->value("model").toString(), "laptop14");
        EXPECT_EQ(sim.ctl({"send", R"({"cmd":"set_charge_limit","limit":65})"}), 0);
        EXPECT_EQ(sim.ctl({"set_charge_limit", "limit=300"}), 1) << "an error reply exits 1";
        EXPECT_EQ(sim.ctl({"adapter", "connected=maybe"}), 1);
        EXPECT_EQ(sim.terminate(), 0);
        EXPECT_FALSE(QFileInfo::exists(sim.socketPath())) << "the socket goes with the daemon";
    }
    test::SimProcess again(dir);
    ASSERT_TRUE(again.start());
    const auto policy = again.call("get_power_policy_state");
    EXPECT_TRUE(policy["charge_limit_enabled"].toBool());
    EXPECT_EQ(policy["target_charge_limit"].toInt(), 65);

    // A second daemon on the same socket is refused and leaves the first one serving.
    QProcess second;
    second.setProcessEnvironment(again.environment());
    second.start(test::builtBinary("vantrel-sim"), {"--background", "--manual-clock"});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("already listening"));
    EXPECT_EQ(again.call("get_status")["status"].toString(), "ok");
}
