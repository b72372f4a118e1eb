#include "app/VantrelLaunchAtLoginController.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "app/TestFiles.h"
#include "base/Preferences.h"
#include "platform/fakes/FakeLoginItems.h"
#include "platform/linux/LinuxLoginItems.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

using test::modeOf;
using test::readText;

// A launchctl stand-in: records each call and answers "print" with a scripted status.
struct LaunchctlFixture {
    test::TempDir tmp;
    test::FakeLoginItems loginItems;
    QString canonical = QStringLiteral("/opt/Vantrel Suite/bin/vantrel");
    QString launchctl = tmp.file(QStringLiteral("bin/launchctl"));
    QString calls = tmp.file(QStringLiteral("launchctl.calls"));
    QString printStatus = tmp.file(QStringLiteral("print.status"));

    LaunchctlFixture(bool withLaunchctl = true)
    {
        if (withLaunchctl) {
            tmp.write(QStringLiteral("bin/launchctl"),
                      QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\n[ \"$1\" = print ] && exit $(cat '%2')\nexit 0\n")
                          .arg(calls, printStatus)
                          .toUtf8());
            QFile::setPermissions(launchctl, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        setPrintStatus(113);
    }
    void setPrintStatus(int status) { tmp.write(QStringLiteral("print.status"), QByteArray::number(status)); }
    VantrelLaunchAtLoginController controller()
    {
        VantrelLaunchAtLoginController::Configuration c;
        c.launchAgentsDirectory = tmp.file(QStringLiteral("home/Library/LaunchAgents"));
        c.launchctlPath = launchctl;
        c.canonicalBundlePath = canonical;
        c.userId = 501;
        return VantrelLaunchAtLoginController(c, loginItems);
    }
    AppBundle installedBundle() const { return {VantrelRuntimeEnvironment::productionBundleIdentifier, canonical}; }
    QStringList launchctlCalls() const { return readText(calls).split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

TEST(LaunchAtLogin, InstallWritesThePropertyListAndTheAutostartEntry)
{
    LaunchctlFixture f;
    auto controller = f.controller();
    ASSERT_EQ(controller.installLaunchAgent(), std::nullopt);

    const QString plist = f.tmp.file(QStringLiteral("home/Library/LaunchAgents/com.morrowlightco.Vantrel.login.plist"));
    EXPECT_EQ(controller.launchAgentPath(), plist);
    EXPECT_EQ(readText(plist),
              QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                             "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                             "<plist version=\"1.0\">\n<dict>\n"
                             "\t<key>Label</key>\n\t<string>com.morrowlightco.Vantrel.login</string>\n"
                             "\t<key>ProcessType</key>\n\t<string>Interactive</string>\n"
                             "\t<key>ProgramArguments</key>\n\t<array>\n"
                             "\t\t<string>/Applications/Vantrel.app/Contents/MacOS/Vantrel</string>\n"
                             "\t\t<string>--background-status-only</string>\n\t</array>\n"
                             "\t<key>RunAtLoad</key>\n\t<true/>\n"
                             "</dict>\n</plist>\n"));
    EXPECT_EQ(modeOf(plist), 0600u);
    EXPECT_EQ(modeOf(f.tmp.file(QStringLiteral("home/Library/LaunchAgents"))), 0700u);
    EXPECT_EQ(f.loginItems.entries[VantrelLaunchAtLoginController::label],
              (QStringList{f.canonical, QStringLiteral("--background-status-only")}));
    EXPECT_TRUE(f.launchctlCalls().isEmpty());
}

TEST(LaunchAtLogin, RemovalBootsOutDeletesAndVerifies)
{
    LaunchctlFixture f;
    auto controller = f.controller();
    ASSERT_EQ(controller.installLaunchAgent(), std::nullopt);

    ASSERT_EQ(controller.removeLaunchAgent(), std::nullopt);
    EXPECT_EQ(f.launchctlCalls(),
              (QStringList{QStringLiteral("bootout gui/501/com.morrowlightco.Vantrel.login"),
                           QStringLiteral("print gui/501/com.morrowlightco.Vantrel.login")}));
    EXPECT_FALSE(QFile::exists(controller.launchAgentPath()));
    EXPECT_TRUE(f.loginItems.entries.empty());

    // launchd still knows the job: the removal is reported as incomplete.
    f.setPrintStatus(0);
    const auto error = controller.removeLaunchAgent();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, RegistrationError::Kind::LaunchAgentStillLoaded);
}

TEST(LaunchAtLogin, RepairFollowsAutoStartOnlyForTheInstalledBuild)
{
    test::LogCapture log;
    LaunchctlFixture f;
    auto controller = f.controller();
    MemoryPreferences prefs;

    // No preference: nothing is touched.
    f.loginItems.setMainAppStatus(LoginItems::Status::Enabled);
    controller.repairRegistrationIfNeeded(prefs, f.installedBundle());
    EXPECT_TRUE(f.launchctlCalls().isEmpty());
    EXPECT_EQ(f.loginItems.unregisterCalls, 0);
    EXPECT_FALSE(QFile::exists(controller.launchAgentPath()));

    // A development build or a copy elsewhere leaves registration alone.
    prefs.setValue(QStringLiteral("autoStart"), true);
    controller.repairRegistrationIfNeeded(prefs, {VantrelRuntimeEnvironment::developmentBundleIdentifier, f.canonical});
    controller.repairRegistrationIfNeeded(
        prefs, {VantrelRuntimeEnvironment::productionBundleIdentifier, QStringLiteral("/work/build/bin/vantrel")});
    EXPECT_FALSE(QFile::exists(controller.launchAgentPath()));
    EXPECT_TRUE(controller.isCanonicalProductionBundle({VantrelRuntimeEnvironment::productionBundleIdentifier,
                                                        QStringLiteral("/opt/Vantrel Suite/bin/../bin/vantrel")}));

    // On: the legacy login item goes, the agent and the autostart entry come.
    controller.repairRegistrationIfNeeded(prefs, f.installedBundle());
    EXPECT_EQ(f.loginItems.unregisterCalls, 1);
    EXPECT_TRUE(QFile::exists(controller.launchAgentPath()));
    EXPECT_TRUE(f.loginItems.hasAutostartEntry(VantrelLaunchAtLoginController::label));

    // Off, stored as the settings file's text: both go again.
    prefs.setValue(QStringLiteral("autoStart"), QStringLiteral("false"));
    controller.repairRegistrationIfNeeded(prefs, f.installedBundle());
    EXPECT_FALSE(QFile::exists(controller.launchAgentPath()));
    EXPECT_FALSE(f.loginItems.hasAutostartEntry(VantrelLaunchAtLoginController::label));
    EXPECT_TRUE(log.lines().isEmpty());

    // A failure is logged and nothing after it runs.
    f.setPrintStatus(0);
    f.loginItems.setMainAppStatus(LoginItems::Status::RequiresApproval);
    controller.repairRegistrationIfNeeded(prefs, f.installedBundle());
    EXPECT_EQ(log.lines(),
              QStringList{QStringLiteral("[system] Vantrel launch-at-login repair failed: launchAgentStillLoaded")});
    EXPECT_EQ(f.loginItems.unregisterCalls, 1);
}

TEST(LaunchAtLogin, WithoutLaunchctlOnlyTheAutostartEntryIsWritten)
{
    LaunchctlFixture f(false);
    auto controller = f.controller();
    EXPECT_FALSE(controller.launchctlAvailable());
    ASSERT_EQ(controller.installLaunchAgent(), std::nullopt);
    EXPECT_FALSE(QFile::exists(controller.launchAgentPath()));
    EXPECT_TRUE(f.loginItems.hasAutostartEntry(VantrelLaunchAtLoginController::label));
    ASSERT_EQ(controller.removeLaunchAgent(), std::nullopt);
    EXPECT_FALSE(f.loginItems.hasAutostartEntry(VantrelLaunchAtLoginController::label));
}

TEST(LinuxLoginItems, AutostartEntryRunsTheSameArgumentsSafelyQuoted)
{
    test::TempDir tmp;
    LinuxLoginItems items(tmp.file(QStringLiteral("autostart")));
    const QStringList arguments
        = {QStringLiteral("/opt/Vantrel Suite/bin/vantrel"), QStringLiteral("--background-status-only")};
    QString error;
    ASSERT_TRUE(items.installAutostartEntry(QStringLiteral("com.morrowlightco.Vantrel.login"), arguments, &error))
        << error.toStdString();

    const QString path = tmp.file(QStringLiteral("autostart/com.morrowlightco.Vantrel.login.desktop"));
    EXPECT_TRUE(items.hasAutostartEntry(QStringLiteral("com.morrowlightco.Vantrel.login")));
    EXPECT_EQ(readText(path),
              QStringLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Vantrel\n"
                             "Exec=\"/opt/Vantrel Suite/bin/vantrel\" --background-status-only\n"
                             "Terminal=false\n"
                             "NoDisplay=true\n"
                             "X-GNOME-Autostart-enabled=true\n"));
    // The session's autostart reads it as a valid desktop entry.
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) {
        ADD_FAILURE() << "desktop-file-validate is missing (scripts/setup-deps.sh installs it)";
    } else {
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {path});
        ASSERT_TRUE(validate.waitForFinished(20000));
        EXPECT_EQ(validate.exitCode(), 0);
        EXPECT_EQ(validate.readAll(), QByteArray()) << "no errors, warnings or hints";
    }

    // Quotes, dollars, backslashes and percent signs survive both the Exec quoting and the
    // string escapes of the file format.
    EXPECT_EQ(LinuxLoginItems::execLine({QStringLiteral("/a/it's \"x\" $HOME\\y"), QStringLiteral("100%")}),
              QStringLiteral("\"/a/it's \\\\\"x\\\\\" \\\\$HOME\\\\\\\\y\" 100%%"));
    EXPECT_EQ(LinuxLoginItems::execLine({QStringLiteral("")}), QStringLiteral("\"\""));

    ASSERT_TRUE(items.removeAutostartEntry(QStringLiteral("com.morrowlightco.Vantrel.login"), &error));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(items.removeAutostartEntry(QStringLiteral("com.morrowlightco.Vantrel.login"), &error))
        << "absent is fine";
}

} // namespace
} // namespace vantrel
