#include "app/BatteryHelperOnboardingInstaller.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include "app/ChildProcess.h"
#include "base/AtomicFile.h"
#include "base/ShellQuote.h"

namespace vantrel {
namespace {

constexpr std::chrono::seconds kProbeTimeout{10};
// The administrator may take a while to answer the prompt.
constexpr std::chrono::minutes kAdministratorTimeout{15};
constexpr std::chrono::minutes kDirectTimeout{2};

// Removes the file when the operation ends, whatever the outcome.
class RemoveOnExit {
public:
    explicit RemoveOnExit(QString path)
        : path_(std::move(path))
    { }
    ~RemoveOnExit() { QFile::remove(path_); }
    RemoveOnExit(const RemoveOnExit&) = delete;
    RemoveOnExit& operator=(const RemoveOnExit&) = delete;

private:
    QString path_;
};

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

BatteryHelperOnboardingInstaller::Configuration BatteryHelperOnboardingInstaller::configurationFor(const Paths& paths)
{
    Configuration c;
    c.helperDirectory = paths.helperDirectory();
    c.batteryTool = paths.batteryTool();
    c.smcTool = paths.smcTool();
    c.permissionFile = paths.sudoersBatteryFile();
    c.legacyToolPaths
        = {paths.rooted(QStringLiteral("/usr/local/bin/battery")), paths.rooted(QStringLiteral("/usr/local/bin/smc"))};
    const QString binary = QCoreApplication::applicationDirPath();
    c.resourceDirectories = {binary, QDir::cleanPath(binary + QStringLiteral("/../share/vantrel"))};
    c.temporaryDirectory = paths.tmpDirectory();
    c.probeThroughSudo = isExecutableFile(c.sudoPath) && (isExecutableFile(c.osascriptPath) || ::geteuid() == 0);
    return c;
}

BatteryHelperOnboardingInstaller::BatteryHelperOnboardingInstaller(Configuration configuration)
    : configuration_(std::move(configuration))
{ }

bool BatteryHelperOnboardingInstaller::hasAdministratorPrompt() const
{
    return isExecutableFile(configuration_.osascriptPath);
}

bool BatteryHelperOnboardingInstaller::isReady() const
{
    if (!isExecutableFile(configuration_.batteryTool) || !isExecutableFile(configuration_.smcTool)
        || !QFileInfo::exists(configuration_.permissionFile))
        return false;
    const QStringList& probe = configuration_.probeArguments;
    if (configuration_.probeThroughSudo)
        return runChildProcess(configuration_.sudoPath,
                               QStringList{QStringLiteral("-n"), configuration_.smcTool} + probe, kProbeTimeout)
                   .exitStatus
            == 0;
    return runChildProcess(configuration_.smcTool, probe, kProbeTimeout).exitStatus == 0;
}

std::optional<BatteryHelperOnboardingInstaller::BundledTools> BatteryHelperOnboardingInstaller::findBundledTools() const
{
    static const std::pair<QString, QString> names[] = {
        {QStringLiteral("battery"), QStringLiteral("smc")},
        {QStringLiteral("vantrel-battery"), QStringLiteral("vantrel-smc")},
    };
    for (const QString& directory : configuration_.resourceDirectories) {
        for (const auto& [battery, smc] : names) {
            const QString batteryPath = directory + QLatin1Char('/') + battery;
            const QString smcPath = directory + QLatin1Char('/') + smc;
            if (QFileInfo(batteryPath).isFile() && QFileInfo(smcPath).isFile())
                return BundledTools{batteryPath, smcPath};
        }
    }
    return std::nullopt;
}

QString BatteryHelperOnboardingInstaller::appleScriptQuoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString BatteryHelperOnboardingInstaller::administratorCommand(const QString& scriptPath, const QString& prompt)
{
    return QStringLiteral("do shell script ") + appleScriptQuoted(scriptPath)
        + QStringLiteral(" with administrator privileges with prompt ") + appleScriptQuoted(prompt);
}

QString BatteryHelperOnboardingInstaller::installScript(const BundledTools& tools, bool asAdministrator) const
{
    const Configuration& c = configuration_;
    // As root the tools belong to root; as this user they stay the user's.
    const QString install = asAdministrator ? QStringLiteral("/usr/bin/install -o root -g wheel -m 755 ")
                                            : QStringLiteral("/usr/bin/install -m 755 ");
    QStringList legacy;
    for (const QString& path : c.legacyToolPaths)
        legacy << shellQuoted(path);
    QStringList lines = {
        QStringLiteral("#!/usr/bin/env bash"),
        QStringLiteral("set -euo pipefail"),
        QStringLiteral("PATH=/usr/bin:/bin:/usr/sbin:/sbin"),
        QStringLiteral("/bin/mkdir -p ") + shellQuoted(c.helperDirectory),
        install + shellQuoted(tools.battery) + QLatin1Char(' ') + shellQuoted(c.batteryTool),
        install + shellQuoted(tools.smc) + QLatin1Char(' ') + shellQuoted(c.smcTool),
        QStringLiteral("/bin/rm -f ") + legacy.join(QLatin1Char(' ')),
        shellQuoted(c.batteryTool) + QStringLiteral(" visudo"),
        QStringLiteral("/bin/test -f ") + shellQuoted(c.permissionFile),
    };
    // This system's sudo does not read the simulated Mac's permission file, so checking
    // the sudo configuration belongs to the administrator route only.
    if (asAdministrator)
        lines << c.visudoPath + QStringLiteral(" -c >/dev/null");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

std::optional<InstallerError> BatteryHelperOnboardingInstaller::install(const QString& adminPrompt) const
{
    const auto tools = findBundledTools();
    if (!tools)
        return InstallerError{InstallerError::Kind::MissingBundledTools, {}};

    const bool asAdministrator = hasAdministratorPrompt();
    const QString scriptPath = configuration_.temporaryDirectory + QStringLiteral("/vantrel-battery-helper-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".sh");
    RemoveOnExit removeScript(scriptPath);
    QString writeError;
    if (!writeFileAtomically(scriptPath, installScript(*tools, asAdministrator).toUtf8(),
                             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner, &writeError))
        return InstallerError{InstallerError::Kind::CommandFailed, writeError};

    const ChildProcessResult result = asAdministrator
        ? runChildProcess(configuration_.osascriptPath,
                          {QStringLiteral("-e"), administratorCommand(scriptPath, adminPrompt)}, kAdministratorTimeout)
        : runChildProcess(QStringLiteral("/bin/bash"), {scriptPath}, kDirectTimeout);
    if (result.exitStatus != 0)
        return InstallerError{InstallerError::Kind::CommandFailed, result.output.trimmed()};
    if (!isReady())
        return InstallerError{InstallerError::Kind::InstallVerificationFailed, {}};
    return std::nullopt;
}

} // namespace vantrel
