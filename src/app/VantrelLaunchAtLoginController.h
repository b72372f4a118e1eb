#pragma once
// Keeps launch at login in line with the "autoStart" preference for the installed build:
// the launch agent where launchctl exists, and the desktop's autostart entry.
#include <optional>

#include <sys/types.h>

#include <QString>
#include <QStringList>

#include "app/AppBundle.h"
#include "app/RegistrationError.h"
#include "base/Paths.h"
#include "base/Preferences.h"
#include "platform/LoginItems.h"

namespace vantrel {

class VantrelLaunchAtLoginController {
public:
    static inline const QString label = QStringLiteral("com.morrowlightco.Vantrel.login");
    static inline const QString backgroundFlag = QStringLiteral("--background-status-only");

    struct Configuration {
        QString launchAgentsDirectory;
        QString launchctlPath = QStringLiteral("/bin/launchctl");
        // The installed build's location; only a build running from there repairs registration.
        QString canonicalBundlePath;
        uid_t userId = 0;
    };
    // This system's settings: the user's LaunchAgents folder, the installed binary, this user.
    static Configuration configurationFor(const Paths& paths);

    VantrelLaunchAtLoginController(Configuration configuration, LoginItems& loginItems);

    // Only for the canonical production bundle and only when "autoStart" exists; failures are
    // logged to the system log and otherwise ignored.
    void repairRegistrationIfNeeded(const Preferences& defaults, const AppBundle& bundle);
    bool isCanonicalProductionBundle(const AppBundle& bundle) const;

    std::optional<RegistrationError> installLaunchAgent();
    std::optional<RegistrationError> removeLaunchAgent();
    std::optional<RegistrationError> removeLegacyRegistration();
    // Runs launchctl with arguments and returns its exit status (see runChildProcess for failures).
    int runLaunchctl(const QStringList& arguments) const;
    bool launchctlAvailable() const;

    QString launchAgentPath() const;
    // "gui/<uid>/<label>"
    QString launchAgentTarget() const;
    static QByteArray launchAgentPropertyList();
    // What the desktop's autostart entry runs: the installed binary in the background.
    QStringList autostartArguments() const;

private:
    Configuration configuration_;
    LoginItems& loginItems_;
};

} // namespace vantrel
