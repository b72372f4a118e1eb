#pragma once
// Installs the bundled "battery" and "smc" tools into the helper folder and has the battery
// tool create the permission file that lets this user run them through sudo without a
// password. With an administrator prompt (osascript) the generated script runs as root; on
// this platform it runs as the current user against the (re-rooted) helper paths.
#include <optional>

#include <QString>
#include <QStringList>

#include "app/InstallerError.h"
#include "base/Paths.h"

namespace vantrel {

class BatteryHelperOnboardingInstaller {
public:
    struct Configuration {
        QString helperDirectory;
        QString batteryTool;
        QString smcTool;
        QString permissionFile;
        // Tools replaced by earlier versions, removed on install.
        QStringList legacyToolPaths;
        // Folders searched for the bundled tools ("battery"/"smc" or "vantrel-battery"/"vantrel-smc").
        QStringList resourceDirectories;
        QString temporaryDirectory;
        QString osascriptPath = QStringLiteral("/usr/bin/osascript");
        QString sudoPath = QStringLiteral("/usr/bin/sudo");
        QString visudoPath = QStringLiteral("/usr/sbin/visudo");
        // The readiness probe runs the smc tool through "sudo -n"; otherwise directly.
        bool probeThroughSudo = true;
        // What the probe asks the smc tool: the charge-inhibit key every Mac has. A Linux
        // machine's sensors have no such key, so there the probe lists the keys instead.
        QStringList probeArguments = {QStringLiteral("-k"), QStringLiteral("CHIE"), QStringLiteral("-r")};
    };
    // This system: the helper paths of paths, the tools beside this binary or in share/vantrel,
    // and the sudo probe only where sudo exists and it can succeed (an administrator prompt is
    // available, or this process is root).
    static Configuration configurationFor(const Paths& paths);

    struct BundledTools {
        QString battery;
        QString smc;
    };

    explicit BatteryHelperOnboardingInstaller(Configuration configuration);

    // Blocks while the probe runs.
    bool isReady() const;
    // Blocks while the script runs (and the administrator answers). Nothing on success.
    std::optional<InstallerError> install(const QString& adminPrompt) const;

    std::optional<BundledTools> findBundledTools() const;
    bool hasAdministratorPrompt() const;
    // The script for the administrator prompt (true) or for running as this user (false).
    QString installScript(const BundledTools& tools, bool asAdministrator) const;

    // 'text' for the shell, embedded single quotes as '\''.
    // "text" for AppleScript, backslashes and double quotes escaped.
    static QString appleScriptQuoted(const QString& text);
    static QString administratorCommand(const QString& scriptPath, const QString& prompt);

private:
    Configuration configuration_;
};

} // namespace vantrel
