#include "app/BatteryHelperOnboardingInstaller.h"
#include "base/ShellQuote.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "app/TestFiles.h"
#include "support/TempDir.h"

namespace vantrel {
namespace {

using test::makeExecutable;
using test::readText;

// A helper installation under a folder whose name needs quoting, with stand-in tools: the
// battery tool's "visudo" writes the permission file, the smc tool answers the probe.
// Quotes, a variable, a command substitution and backticks: any of them unquoted in the
// generated script would change what it does (and leave a "pwned" file behind).
const QString kHostileRootName = QStringLiteral("it's a \"root\" $dir $(touch pwned) `touch pwned2`");

struct InstallFixture {
    test::TempDir tmp;
    QString root = tmp.file(kHostileRootName);
    QString resources = root + QStringLiteral("/share/vantrel");
    QString smcStatus = tmp.file(QStringLiteral("smc.status"));
    BatteryHelperOnboardingInstaller::Configuration configuration;

    InstallFixture()
    {
        configuration.helperDirectory = root + QStringLiteral("/usr/local/vantrel");
        configuration.batteryTool = configuration.helperDirectory + QStringLiteral("/battery");
        configuration.smcTool = configuration.helperDirectory + QStringLiteral("/smc");
        configuration.permissionFile = root + QStringLiteral("/private/etc/sudoers.d/battery");
        configuration.legacyToolPaths
            = {root + QStringLiteral("/usr/local/bin/battery"), root + QStringLiteral("/usr/local/bin/smc")};
        configuration.resourceDirectories = {tmp.file(QStringLiteral("empty")), resources};
        configuration.temporaryDirectory = tmp.file(QStringLiteral("tmp"));
        configuration.osascriptPath = tmp.file(QStringLiteral("no-osascript"));
        configuration.probeThroughSudo = false;
        QDir().mkpath(configuration.temporaryDirectory);
        setSmcStatus(0);
    }
    void writeTools(const QString& batteryVisudo = {})
    {
        const QString permission = shellQuoted(configuration.permissionFile);
        const QString visudo = batteryVisudo.isEmpty()
            ? QStringLiteral("mkdir -p \"$(dirname %1)\" && touch %1").arg(permission)
            : batteryVisudo;
        makeExecutable(tmp.write(kHostileRootName + QStringLiteral("/share/vantrel/battery"),
                                 QStringLiteral("#!/bin/sh\n[ \"$1\" = visudo ] && { %1; }\n").arg(visudo).toUtf8()));
        makeExecutable(tmp.write(kHostileRootName + QStringLiteral("/share/vantrel/smc"),
                                 QStringLiteral("#!/bin/sh\n[ \"$*\" = \"-k CHIE -r\" ] || exit 9\nexit $(cat %1)\n")
                                     .arg(shellQuoted(smcStatus))
                                     .toUtf8()));
    }
    void setSmcStatus(int status) { tmp.write(QStringLiteral("smc.status"), QByteArray::number(status)); }
    QStringList leftoverScripts() const { return QDir(configuration.temporaryDirectory).entryList(QDir::Files); }
};

TEST(HelperInstaller, ScriptQuotesEveryPath)
{
    BatteryHelperOnboardingInstaller::Configuration c;
    c.helperDirectory = QStringLiteral("/usr/local/vantrel");
    c.batteryTool = QStringLiteral("/usr/local/vantrel/battery");
    c.smcTool = QStringLiteral("/usr/local/vantrel/smc");
    c.permissionFile = QStringLiteral("/private/etc/sudoers.d/battery");
    c.legacyToolPaths = {QStringLiteral("/usr/local/bin/battery"), QStringLiteral("/usr/local/bin/smc")};
    BatteryHelperOnboardingInstaller installer(c);
    const BatteryHelperOnboardingInstaller::BundledTools tools{
        QStringLiteral("/Applications/My Tools/Vantrel.app/Contents/Resources/battery"),
        QStringLiteral("/Users/o'brien/\"quoted\"/smc")};

    EXPECT_EQ(
        installer.installScript(tools, true),
        QStringLiteral("#!/usr/bin/env bash\n"
                       "set -euo pipefail\n"
                       "PATH=/usr/bin:/bin:/usr/sbin:/sbin\n"
                       "/bin/mkdir -p '/usr/local/vantrel'\n"
                       "/usr/bin/install -o root -g wheel -m 755 "
                       "'/Applications/My Tools/Vantrel.app/Contents/Resources/battery' '/usr/local/vantrel/battery'\n"
                       "/usr/bin/install -o root -g wheel -m 755 '/Users/o'\\''brien/\"quoted\"/smc' "
                       "'/usr/local/vantrel/smc'\n"
                       "/bin/rm -f '/usr/local/bin/battery' '/usr/local/bin/smc'\n"
                       "'/usr/local/vantrel/battery' visudo\n"
                       "/bin/test -f '/private/etc/sudoers.d/battery'\n"
                       "/usr/sbin/visudo -c >/dev/null\n"));

    // As this user: no ownership change, no sudoers check.
    const QString direct = installer.installScript(tools, false);
    EXPECT_TRUE(direct.contains(
        QStringLiteral("\n/usr/bin/install -m 755 '/Users/o'\\''brien/\"quoted\"/smc' '/usr/local/vantrel/smc'\n")));
    EXPECT_TRUE(direct.contains(QStringLiteral("\n/bin/rm -f '/usr/local/bin/battery' '/usr/local/bin/smc'\n")));
    EXPECT_FALSE(direct.contains(QStringLiteral("visudo -c")));

    EXPECT_EQ(BatteryHelperOnboardingInstaller::administratorCommand(
                  QStringLiteral("/tmp/a\\b\"c.sh"), QStringLiteral("Vantrel needs \"admin\" C:\\ access")),
              QStringLiteral("do shell script \"/tmp/a\\\\b\\\"c.sh\" with administrator privileges with prompt "
                             "\"Vantrel needs \\\"admin\\\" C:\\\\ access\""));
}

TEST(HelperInstaller, GeneratedScriptsPassShellcheck)
{
    const QString shellcheck = QStandardPaths::findExecutable(QStringLiteral("shellcheck"));
    if (shellcheck.isEmpty())
        GTEST_SKIP() << "shellcheck is not installed (scripts/setup-deps.sh installs it)";
    InstallFixture f;
    BatteryHelperOnboardingInstaller installer(f.configuration);
    const BatteryHelperOnboardingInstaller::BundledTools tools{f.resources + QStringLiteral("/battery"),
                                                               f.resources + QStringLiteral("/smc")};
    for (const bool asAdministrator : {true, false}) {
        QProcess check;
        // SC2016 notes a '$' inside single quotes, which is exactly what quoting a path like
        // "$dir $(touch pwned)" must produce.
        check.start(shellcheck,
                    {QStringLiteral("--shell=bash"), QStringLiteral("--exclude=SC2016"), QStringLiteral("-")});
        ASSERT_TRUE(check.waitForStarted());
        check.write(installer.installScript(tools, asAdministrator).toUtf8());
        check.closeWriteChannel();
        ASSERT_TRUE(check.waitForFinished(30000));
        EXPECT_EQ(check.exitCode(), 0) << (asAdministrator ? "administrator" : "user") << " script:\n"
                                       << check.readAllStandardOutput().toStdString();
    }
}

TEST(HelperInstaller, ErrorDescriptions)
{
    EXPECT_EQ((InstallerError{InstallerError::Kind::MissingBundledTools, {}}).description(),
              QStringLiteral("bundled battery/smc tools were not found"));
    EXPECT_EQ((InstallerError{InstallerError::Kind::InstallVerificationFailed, {}}).description(),
              QStringLiteral("installed helper files could not be verified"));
    EXPECT_EQ((InstallerError{InstallerError::Kind::CommandFailed, {}}).description(),
              QStringLiteral("administrator approval was cancelled or failed"));
    EXPECT_EQ((InstallerError{InstallerError::Kind::CommandFailed, QStringLiteral("User canceled.")}).description(),
              QStringLiteral("User canceled."));
}

TEST(HelperInstaller, InstallsIntoAPathThatNeedsQuotingAndThenIsReady)
{
    InstallFixture f;
    BatteryHelperOnboardingInstaller installer(f.configuration);
    EXPECT_FALSE(installer.isReady());
    EXPECT_EQ(installer.install(QStringLiteral("prompt")),
              (InstallerError{InstallerError::Kind::MissingBundledTools, {}}));

    f.writeTools();
    // A leftover tool from an earlier version is removed.
    f.tmp.write(kHostileRootName + QStringLiteral("/usr/local/bin/smc"), "old");
    ASSERT_EQ(installer.install(QStringLiteral("prompt")), std::nullopt);
    EXPECT_TRUE(installer.isReady());
    EXPECT_EQ(readText(f.configuration.smcTool), readText(f.resources + QStringLiteral("/smc")));
    EXPECT_TRUE(QFile::permissions(f.configuration.batteryTool).testFlag(QFile::ExeOwner));
    EXPECT_TRUE(QFile::exists(f.configuration.permissionFile));
    EXPECT_FALSE(QFile::exists(f.root + QStringLiteral("/usr/local/bin/smc")));
    EXPECT_TRUE(f.leftoverScripts().isEmpty());
    for (const QString& stray : {QStringLiteral("pwned"), QStringLiteral("pwned2")})
        EXPECT_FALSE(QFile::exists(stray) || QFile::exists(f.tmp.file(stray)) || QFile::exists(f.root + "/" + stray))
            << "a path was run as a command";

    // The probe asks what the configuration says (on Linux, the key listing): this stand-in
    // answers only the charge-inhibit key.
    auto listing = f.configuration;
    listing.probeArguments = {QStringLiteral("-l")};
    EXPECT_FALSE(BatteryHelperOnboardingInstaller(listing).isReady());

    // Readiness needs every piece: a probe that fails, or a missing permission file.
    f.setSmcStatus(1);
    EXPECT_FALSE(installer.isReady());
    f.setSmcStatus(0);
    QFile::remove(f.configuration.permissionFile);
    EXPECT_FALSE(installer.isReady());
}

TEST(HelperInstaller, FailuresCarryTheCommandOutputOrTheVerificationError)
{
    InstallFixture f;
    BatteryHelperOnboardingInstaller installer(f.configuration);

    f.writeTools(QStringLiteral("echo '  visudo: permission file rejected  ' >&2; exit 4"));
    EXPECT_EQ(
        installer.install(QStringLiteral("prompt")),
        (InstallerError{InstallerError::Kind::CommandFailed, QStringLiteral("visudo: permission file rejected")}));
    EXPECT_TRUE(f.leftoverScripts().isEmpty());

    // Everything installs, but the tools do not answer the probe.
    f.writeTools();
    f.setSmcStatus(1);
    EXPECT_EQ(installer.install(QStringLiteral("prompt")),
              (InstallerError{InstallerError::Kind::InstallVerificationFailed, {}}));
}

TEST(HelperInstaller, AdministratorRouteRunsOsascriptWithTheQuotedScriptPath)
{
    InstallFixture f;
    f.writeTools();
    // osascript stand-in: records its arguments and the script it was given, then "cancels".
    const QString record = f.tmp.file(QStringLiteral("osascript.args"));
    f.configuration.osascriptPath = f.tmp.write(
        QStringLiteral("bin/osascript"),
        QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > %1\necho 'execution error: User canceled. (-128)'\nexit 1\n")
            .arg(shellQuoted(record))
            .toUtf8());
    makeExecutable(f.configuration.osascriptPath);
    BatteryHelperOnboardingInstaller installer(f.configuration);
    ASSERT_TRUE(installer.hasAdministratorPrompt());

    EXPECT_EQ(installer.install(QStringLiteral("Vantrel wants \"battery\"")),
              (InstallerError{InstallerError::Kind::CommandFailed,
                              QStringLiteral("execution error: User canceled. (-128)")}));
    const QStringList arguments = readText(record).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(arguments.size(), 2);
    EXPECT_EQ(arguments[0], QStringLiteral("-e"));
    const QString prefix = QStringLiteral("do shell script \"") + f.configuration.temporaryDirectory
        + QStringLiteral("/vantrel-battery-helper-");
    EXPECT_TRUE(arguments[1].startsWith(prefix)) << arguments[1].toStdString();
    EXPECT_TRUE(arguments[1].endsWith(
        QStringLiteral(".sh\" with administrator privileges with prompt \"Vantrel wants \\\"battery\\\"\"")));
    EXPECT_TRUE(f.leftoverScripts().isEmpty());
}

} // namespace
} // namespace vantrel
