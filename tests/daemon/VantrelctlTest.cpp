// Runs the built vantrelctl against a scripted daemon.
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include "support/ScriptedSocketPeer.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

using test::ScriptedSocketPeer;

struct CtlRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class VantrelctlTest : public ::testing::Test {
protected:
    CtlRun vantrelctl(const QStringList& args, const QString& socketVariable = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VANTREL_ROOT"), dir_.path());
        env.remove(QStringLiteral("VANTREL_VERBOSE_IPC"));
        env.remove(QStringLiteral("VANTREL_DAEMON_SOCKET"));
        if (!socketVariable.isEmpty())
            env.insert(QStringLiteral("VANTREL_DAEMON_SOCKET"), socketVariable);
        process.setProcessEnvironment(env);
        process.start(test::builtBinary(QStringLiteral("vantrelctl")), args);
        if (!process.waitForFinished(20000))
            return {};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    test::TempDir dir_;
    ScriptedSocketPeer peer_{dir_.file(QStringLiteral("ctl.sock"))};
};

TEST_F(VantrelctlTest, RawSendsOneRequestAndPrintsTheReply)
{
    peer_.answerAlways(ScriptedSocketPeer::reply(QByteArray(R"({"status":"ok","mode":"auto"})")));
    CtlRun run = vantrelctl({QStringLiteral("--socket"), peer_.path(), QStringLiteral("raw"),
                             QStringLiteral(R"({"cmd":"set_fan_mode","index":0,"mode":"auto"})")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("{\"mode\":\"auto\",\"status\":\"ok\"}\n"));
    EXPECT_EQ(peer_.requests().value(0), QByteArray(R"({"cmd":"set_fan_mode","index":0,"mode":"auto"})"));
    // Without --verbose there is no exchange log at all; with it, the log goes to standard error.
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    run = vantrelctl({QStringLiteral("--verbose"), QStringLiteral("--socket"), peer_.path(), QStringLiteral("raw"),
                      QStringLiteral(R"({"cmd":"set_fan_mode","index":0,"mode":"auto"})")});
    EXPECT_EQ(run.out, QStringLiteral("{\"mode\":\"auto\",\"status\":\"ok\"}\n"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("Vantrel UI -> daemon: ")));

    // A reply with another status is printed, with its own exit code.
    peer_.answerAlways(ScriptedSocketPeer::reply(QByteArray(R"({"status":"error","code":"ERR_X"})")));
    run = vantrelctl({QStringLiteral("raw"), QStringLiteral(R"({"cmd":"set_charge_limit","limit":80})")}, peer_.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("ERR_X")));

    // Bad input never reaches the daemon.
    const int connections = peer_.connectionCount();
    run = vantrelctl({QStringLiteral("--socket"), peer_.path(), QStringLiteral("raw"), QStringLiteral("{cmd: nope")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("not valid JSON")));
    run = vantrelctl(
        {QStringLiteral("--socket"), peer_.path(), QStringLiteral("raw"), QStringLiteral(R"({"limit":80})")});
    EXPECT_EQ(run.exitCode, 2);
    run = vantrelctl({QStringLiteral("--socket"), peer_.path(), QStringLiteral("frobnicate")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Usage: vantrelctl")));
    EXPECT_EQ(peer_.connectionCount(), connections);

    // No daemon at the path.
    run = vantrelctl({QStringLiteral("-v"), QStringLiteral("--socket"), dir_.file(QStringLiteral("none.sock")),
                      QStringLiteral("raw"), QStringLiteral(R"({"cmd":"app_heartbeat"})")});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no reply from the daemon")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("Connection to daemon failed")));
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(VantrelctlTest, StatusPrintsTheReadingsInPlainWords)
{
    peer_.answerAlways(
        ScriptedSocketPeer::reply(QByteArray(R"({"status":"ok","cpu_temp":51.46,"fan0":2400,"battery_percent":80})")));
    CtlRun run = vantrelctl({QStringLiteral("--socket=") + peer_.path(), QStringLiteral("status")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              QStringLiteral("Daemon: connected\nCPU temperature: 51.5 °C\nFan 0: 2400 rpm\n"
                             "Fan 1: not reported\nBattery: 80 %\n"));
    EXPECT_EQ(peer_.requests().value(0), QByteArray(R"({"cmd":"get_status"})"));
    EXPECT_TRUE(run.err.isEmpty()) << "get_status is a quiet read-back";

    peer_.answerAlways(ScriptedSocketPeer::reply(QByteArray(R"({"cpu_temp":"hot"})")));
    run = vantrelctl({QStringLiteral("status")}, peer_.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Daemon: answered with status \"error\"\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("CPU temperature: not reported")));

    // Without --socket or VANTREL_DAEMON_SOCKET the socket lives under VANTREL_ROOT.
    ASSERT_TRUE(QDir().mkpath(dir_.file(QStringLiteral("tmp"))));
    ScriptedSocketPeer rooted(dir_.file(QStringLiteral("tmp/vantrel_daemon.sock")));
    rooted.answerAlways(ScriptedSocketPeer::reply(QByteArray(R"({"status":"ok"})")));
    run = vantrelctl({QStringLiteral("status")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(rooted.connectionCount(), 1);
}

} // namespace
} // namespace vantrel
