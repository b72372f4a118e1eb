// The vantrel program started for real against a running vantrel-sim, as scripts/run.sh does.
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include "app/BatteryHelperOnboardingInstaller.h"
#include "support/RealTimeAllowance.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

class AppAgainstSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(test::builtBinary(QStringLiteral("vantrel-sim"))).isExecutable()
            || !QFileInfo(test::builtBinary(QStringLiteral("vantrel"))).isExecutable())
            GTEST_SKIP() << "vantrel-sim or vantrel is not built";
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("VANTREL_ROOT"), tmp_.path());
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment_.remove(QStringLiteral("VANTREL_DAEMON_SOCKET"));
        environment_.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    }
    void TearDown() override
    {
        sim_.kill();
        sim_.waitForFinished(5000);
    }

    void startSim(const QString& ownership)
    {
        sim_.setProcessEnvironment(environment_);
        sim_.start(test::builtBinary(QStringLiteral("vantrel-sim")),
                   {QStringLiteral("--background"), QStringLiteral("--ownership"), ownership});
        ASSERT_TRUE(sim_.waitForStarted(10000));
        // Process start-up, not behaviour under test: wait for the socket to appear.
        const QString socket = tmp_.file(QStringLiteral("tmp/vantrel_daemon.sock"));
        QDeadlineTimer deadline(15000);
        while (!QFileInfo::exists(socket) && !deadline.hasExpired())
            QThread::msleep(20);
        ASSERT_TRUE(QFileInfo::exists(socket)) << "vantrel-sim did not open its socket";
    }
    void startApp(QProcess& app, int demoSeconds)
    {
        app.setProcessEnvironment(environment_);
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(test::builtBinary(QStringLiteral("vantrel")),
                  {QStringLiteral("--platform"), QStringLiteral("sim"), QStringLiteral("--headless-demo"), shots(),
                   QStringLiteral("--demo-seconds"), QString::number(demoSeconds),
                   QStringLiteral("--main-window-only")});
        ASSERT_TRUE(app.waitForStarted(10000));
    }
    static QString runToEnd(QProcess& app)
    {
        EXPECT_TRUE(app.waitForFinished(test::realTimeMs(60000)));
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(app.exitCode(), 0);
        return QString::fromUtf8(app.readAll());
    }
    QString shots() const { return tmp_.file(QStringLiteral("shots")); }

    test::TempDir tmp_;
    QProcessEnvironment environment_;
    QProcess sim_;
};

TEST_F(AppAgainstSim, AdmittedAppPrintsLiveReadingsAndASecondCopyIsTurnedAway)
{
    startSim(QStringLiteral("production"));
    QProcess first;
    startApp(first, 5);
    QString firstOutput;
    QDeadlineTimer deadline(30000);
    while (!firstOutput.contains(QStringLiteral("Vantrel status: CPU")) && !deadline.hasExpired()) {
        first.waitForReadyRead(500);
        firstOutput += QString::fromUtf8(first.readAll());
    }
    ASSERT_TRUE(firstOutput.contains(QStringLiteral("Vantrel status: CPU"))) << firstOutput.toStdString();

    QProcess second;
    startApp(second, 5);
    const QString secondOutput = runToEnd(second);
    EXPECT_TRUE(secondOutput.contains(QStringLiteral("Vantrel runtime admission denied: Vantrel이 이미 실행 중입니다. "
                                                     "동시에 두 앱이 제어하지 않도록 중복 실행을 취소했습니다.")))
        << secondOutput.toStdString();
    EXPECT_FALSE(secondOutput.contains(QStringLiteral("get_runtime_ownership"))) << "refused before asking the daemon";

    firstOutput += runToEnd(first);
    EXPECT_GE(firstOutput.count(QStringLiteral("Vantrel status: CPU")), 2) << firstOutput.toStdString();
    EXPECT_FALSE(firstOutput.contains(QStringLiteral("admission denied")));
    EXPECT_EQ(QImage(shots() + QStringLiteral("/main-window.png")).size(), QSize(1100, 720));
    EXPECT_FALSE(QFileInfo::exists(shots() + QStringLiteral("/dashboard.png"))) << "only the main window was asked for";
}

TEST_F(AppAgainstSim, DebugOwnedRuntimeRefusesTheInstalledBuild)
{
    startSim(QStringLiteral("debug"));
    QProcess app;
    startApp(app, 5);
    const QString output = runToEnd(app);
    EXPECT_TRUE(output.contains(QStringLiteral("Vantrel runtime admission denied: Vantrel Debug가 실행 중입니다.")))
        << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("Vantrel status:")));
    EXPECT_FALSE(QFileInfo::exists(shots() + QStringLiteral("/main-window.png")));
}

TEST_F(AppAgainstSim, HelperInstallerInstallsTheSimulatorToolsAndTheirProbeAnswers)
{
    startSim(QStringLiteral("production"));
    // The tools and the battery tool's permission file follow VANTREL_ROOT like the app does.
    const QByteArray previousRoot = qgetenv("VANTREL_ROOT");
    qputenv("VANTREL_ROOT", tmp_.path().toUtf8());
    const Paths paths = Paths::underRoot(tmp_.path());
    BatteryHelperOnboardingInstaller installer(BatteryHelperOnboardingInstaller::configurationFor(paths));
    const bool readyBefore = installer.isReady();
    const auto error = installer.install(QStringLiteral("Vantrel installs its helper tools."));
    const bool readyAfter = installer.isReady();
    if (previousRoot.isEmpty())
        qunsetenv("VANTREL_ROOT");
    else
        qputenv("VANTREL_ROOT", previousRoot);

    EXPECT_FALSE(readyBefore);
    ASSERT_EQ(error, std::nullopt) << error->description().toStdString();
    EXPECT_TRUE(readyAfter);
    EXPECT_TRUE(QFileInfo(paths.smcTool()).isExecutable());
    EXPECT_TRUE(QFileInfo(paths.batteryTool()).isExecutable());
    EXPECT_TRUE(QFileInfo::exists(paths.sudoersBatteryFile()));
}

} // namespace
} // namespace vantrel
