// The vantrel program as a process: what a refused second copy leaves behind, and how the
// termination signals end an admitted one.
#include <csignal>

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include "app/TerminationSignalWatcher.h"
#include "app/TestFiles.h"
#include "app/VantrelRuntimeEnvironment.h"
#include "app/WindowFrame.h"
#include "support/ScriptedSocketPeer.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

// Another copy's hold on the instance lock (the helper keeps it until its input closes).
class HeldLock {
public:
    explicit HeldLock(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).path());
        process_.start(QStringLiteral(VANTREL_LOCK_HOLDER), {path});
        process_.waitForStarted();
        process_.waitForReadyRead(10000);
        answer_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~HeldLock()
    {
        process_.closeWriteChannel();
        process_.waitForFinished(10000);
    }
    QString answer() const { return answer_; }

private:
    QProcess process_;
    QString answer_;
};

// Every file under dir with its size and modification time, to see that nothing was written.
QStringList treeOf(const QString& dir)
{
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries << QStringLiteral("%1 %2 %3")
                       .arg(info.filePath())
                       .arg(info.isDir() ? -1 : info.size())
                       .arg(info.isDir() ? 0 : info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

class AppProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(test::builtBinary(QStringLiteral("vantrel"))).isExecutable())
            GTEST_SKIP() << "vantrel is not built";
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("VANTREL_ROOT"), tmp_.path());
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment_.remove(QStringLiteral("VANTREL_DAEMON_SOCKET"));
        environment_.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    }

    QString lockPath() const
    {
        return paths().appSupportFile(VantrelRuntimeEnvironment::current().instanceLockFileName());
    }
    Paths paths() const { return tmp_.paths(); }
    void start(QProcess& app, QStringList arguments)
    {
        app.setProcessEnvironment(environment_);
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(test::builtBinary(QStringLiteral("vantrel")), arguments);
        ASSERT_TRUE(app.waitForStarted(10000));
    }
    // Reads the program's output until it contains text or the deadline passes.
    static QString readUntil(QProcess& app, const QString& text, int timeoutMs = 20000)
    {
        QString output;
        QDeadlineTimer deadline(timeoutMs);
        while (!output.contains(text) && !deadline.hasExpired()) {
            app.waitForReadyRead(200);
            output += QString::fromUtf8(app.readAll());
        }
        return output;
    }

    test::TempDir tmp_;
    QProcessEnvironment environment_;
};

TEST_F(AppProcess, ARefusedSecondCopyBuildsNothingAndWritesNothing)
{
    // Preferences with legacy keys that building the model would migrate.
    const QString preferences = tmp_.write(QStringLiteral("home/.config/Vantrel/Vantrel.conf"),
                                           "[General]\nsailingModeEnabled=true\nforceDischargeEnabled=true\n"
                                           "llmIntegrationEnabled=true\n");
    HeldLock other(lockPath());
    ASSERT_EQ(other.answer(), QStringLiteral("locked"));
    const QString preferencesBefore = test::readText(preferences);
    const QStringList treeBefore = treeOf(tmp_.path());

    QProcess app;
    start(app, {QStringLiteral("--background-status-only")});
    ASSERT_TRUE(app.waitForFinished(30000));
    const QString output = QString::fromUtf8(app.readAll());
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("Vantrel runtime admission denied: Vantrel이 이미 실행 중입니다.")))
        << output.toStdString();

    EXPECT_EQ(test::readText(preferences).toStdString(), preferencesBefore.toStdString())
        << "no legacy key was migrated";
    EXPECT_EQ(treeOf(tmp_.path()).join(QLatin1Char('\n')).toStdString(),
              treeBefore.join(QLatin1Char('\n')).toStdString())
        << "nothing was created or written anywhere under the root";
}

TEST_F(AppProcess, TerminationSignalsQuitTheWayTheQuitCommandDoes)
{
    // A daemon that admits the launch and answers nothing else.
    QDir().mkpath(tmp_.file(QStringLiteral("tmp")));
    test::ScriptedSocketPeer daemon(paths().daemonSocket(), [](const QByteArray& request) {
        if (request.contains("get_runtime_ownership"))
            return test::ScriptedSocketPeer::reply(
                QJsonObject{{"status", "ok"}, {"channel", "production"}, {"transition_fenced", false}});
        return test::ScriptedSocketPeer::hangUp();
    });
    ASSERT_TRUE(daemon.isListening());
    const QString preferences = paths().preferencesFile();

    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        const QString name = TerminationSignalWatcher::signalName(signalNumber);
        QFile::remove(preferences);
        QProcess app;
        start(app, {QStringLiteral("--background-status-only")});
        // The handlers are in place before the admission request goes out.
        QString output = readUntil(app, QStringLiteral("transition_fenced"));
        ASSERT_TRUE(output.contains(QStringLiteral("transition_fenced"))) << output.toStdString();
        ::kill(static_cast<pid_t>(app.processId()), signalNumber);
        ASSERT_TRUE(app.waitForFinished(30000)) << name.toStdString();
        output += QString::fromUtf8(app.readAll());

        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << name.toStdString() << "\n" << output.toStdString();
        EXPECT_EQ(app.exitCode(), 0) << name.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("Vantrel: %1 received; quitting").arg(name)))
            << output.toStdString();
        // Without a tray the window was on screen; quitting saved its frame.
        EXPECT_TRUE(test::readText(preferences).contains(WindowFrame::autosaveName)) << name.toStdString();
        // The usage telemetry recorded the run's end before the process went away.
        const QJsonArray queue
            = QJsonDocument::fromJson(test::readText(paths().appSupportFile("activity-telemetry-queue.json")).toUtf8())
                  .array();
        ASSERT_FALSE(queue.isEmpty()) << name.toStdString();
        EXPECT_EQ(queue.last().toObject().value("kind").toString(), QStringLiteral("process_ended"))
            << name.toStdString();
        HeldLock after(lockPath());
        EXPECT_EQ(after.answer(), QStringLiteral("locked")) << name.toStdString();
    }
}

} // namespace
} // namespace vantrel
