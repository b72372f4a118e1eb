// Request framing, real-time stepping in virtual time, and the vantrel-sim command line.
#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "base/VirtualDispatch.h"
#include "daemonserver/RequestFraming.h"
#include "sim/app/SimControlCli.h"
#include "sim/app/SimOptions.h"
#include "sim/server/RealTimeStepper.h"

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::daemonserver;

TEST(RequestFraming, FindsTheEndOfOneJsonValueWithoutATerminator)
{
    EXPECT_EQ(frameStatus(""), FrameStatus::Incomplete);
    EXPECT_EQ(frameStatus("  {\"cmd\":\"get_status\""), FrameStatus::Incomplete);
    EXPECT_EQ(frameStatus("{\"cmd\":\"get_status\"}"), FrameStatus::Complete);
    EXPECT_EQ(frameStatus("{\"a\":\"}{\\\"\",\"b\":[1,{\"c\":2}]}"), FrameStatus::Complete)
        << "braces inside strings and escapes";
    EXPECT_EQ(frameStatus("{\"a\":[1,2"), FrameStatus::Incomplete);
    EXPECT_EQ(frameStatus("[1,2]"), FrameStatus::Complete);
    EXPECT_EQ(frameStatus("GET / HTTP/1.1"), FrameStatus::Invalid);
    EXPECT_EQ(frameStatus("\n 42"), FrameStatus::Invalid);
}

TEST(RealTimeStepper, StepsSpeedTimesTheElapsedSecondsAndCatchesUp)
{
    test::TempDir dir;
    SimDaemonConfig config = test::simConfig(dir);
    config.manualClock = false;
    SimDaemon daemon(config);
    const auto uptime = [&] { return test::call(daemon, "sim_state")["uptime_seconds"].toDouble(); };
    VirtualDispatch dispatch;
    RealTimeStepper stepper(dispatch, daemon, 4.0);
    stepper.start();
    dispatch.advanceSeconds(5);
    EXPECT_DOUBLE_EQ(uptime(), 20.0);
    stepper.stop();
    dispatch.advanceSeconds(5);
    EXPECT_DOUBLE_EQ(uptime(), 20.0) << "stopped";

    RealTimeStepper slow(dispatch, daemon, 0.5);
    slow.start();
    dispatch.advanceSeconds(5);
    EXPECT_DOUBLE_EQ(uptime(), 22.0);
    EXPECT_EQ(test::statusOf(test::call(daemon, "sim_step", {{"seconds", 1}})), "error") << "not a manual clock";
}

TEST(SimCommandLine, OptionsAndControlRequests)
{
    const Paths paths = Paths::underRoot("/r");
    QString error;
    bool help = false;
    auto o = SimOptions::parse({"--model", "desktop", "--ownership", "fenced", "--speed", "60", "--manual-clock",
                                "--background", "--socket", "/s.sock", "--state-dir", "/st"},
                               paths, &error, &help);
    ASSERT_TRUE(o) << error.toStdString();
    EXPECT_EQ(o->daemon.profile.name, "desktop");
    EXPECT_EQ(o->daemon.ownership, RuntimeOwnership::Fenced);
    EXPECT_DOUBLE_EQ(o->speed, 60);
    EXPECT_TRUE(o->daemon.manualClock);
    EXPECT_TRUE(o->background);
    EXPECT_EQ(o->socketPath, "/s.sock");
    EXPECT_EQ(o->daemon.stateDirectory, "/st");

    o = SimOptions::parse({}, paths, &error, &help);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->socketPath, "/r/tmp/vantrel_daemon.sock");
    EXPECT_EQ(o->daemon.updateStatusPath, "/r/Library/Application Support/Vantrel/UpdateStatus/status.json");
    EXPECT_EQ(o->daemon.profile.name, "laptop14");

    for (const QStringList& bad :
         {QStringList{"--model", "cray"}, {"--speed", "fast"}, {"--speed"}, {"--ownership", "mine"}, {"--bogus", "1"}})
        EXPECT_FALSE(SimOptions::parse(bad, paths, &error, &help)) << bad.join(' ').toStdString();
    EXPECT_FALSE(SimOptions::parse({"--help"}, paths, &error, &help));
    EXPECT_TRUE(help);

    const auto load = controlRequest({"load", "cpu_percent=80", "label=busy", "keys=[\"a\"]"}, &error);
    ASSERT_TRUE(load);
    EXPECT_EQ(load->value("cmd").toString(), "sim_load");
    EXPECT_EQ(load->value("cpu_percent").toDouble(), 80);
    EXPECT_EQ(load->value("label").toString(), "busy");
    EXPECT_TRUE(load->value("keys").isArray());
    EXPECT_EQ(controlRequest({"get_status"}, &error)->value("cmd").toString(), "get_status");
    EXPECT_EQ(controlRequest({"send", R"({"cmd":"x","n":1})"}, &error)->value("n").toInt(), 1);
    EXPECT_FALSE(controlRequest({}, &error));
    EXPECT_FALSE(controlRequest({"load", "cpu_percent"}, &error));
    EXPECT_FALSE(controlRequest({"send", "{oops"}, &error));

    const CliResult offline = runControlCli({"--socket", "/nonexistent/sock", "state"}, paths);
    EXPECT_EQ(offline.exitCode, 2);
}
