#pragma once
// Every fixed path of the system in one place. VANTREL_ROOT re-roots every absolute path
// (and the home directory), so tests and parallel runs never touch the real ones.
#include <QString>

namespace vantrel {

class Paths {
public:
    // root: prefix for absolute paths ("" for none); home: the user's home directory;
    // dataHome: XDG data directory ("" = home/.local/share); socketOverride: replaces the daemon socket.
    Paths(QString root, QString home, QString dataHome = {}, QString socketOverride = {});

    // Reads VANTREL_ROOT, VANTREL_DAEMON_SOCKET, HOME and XDG_DATA_HOME.
    static Paths fromEnvironment();
    // A re-rooted set under dir, for tests.
    static Paths underRoot(const QString& dir);

    QString root() const { return root_; }
    QString home() const { return home_; }
    // Maps a fixed absolute path of the system into this root.
    QString rooted(const QString& absolutePath) const;

    QString daemonSocket() const;
    QString updateStatusFile() const; // /Library/Application Support/Vantrel/UpdateStatus/status.json
    QString helperDirectory() const; // /usr/local/vantrel
    QString smcTool() const; // /usr/local/vantrel/smc
    QString batteryTool() const; // /usr/local/vantrel/battery
    QString sudoersBatteryFile() const; // /private/etc/sudoers.d/battery
    QString tmpDirectory() const; // /tmp
    QString safetyLogFile() const; // /tmp/vantrel_safety.log
    QString appLogFile() const; // /tmp/vantrel_app.log
    QString shieldReleaseSignal() const; // /tmp/vantrel_release_safety_shield
    QString applicationBundle() const; // /Applications/Vantrel.app

    // The user's Application Support directory (the XDG data directory here) and our folder in it.
    QString applicationSupport() const;
    QString appSupportFolder() const; // <Application Support>/Vantrel
    QString appSupportFile(const QString& relative) const;
    // Where the Qt settings file with the user's preferences lives.
    QString preferencesFile() const;
    // XDG autostart folder for launch at login.
    QString autostartDirectory() const;
    QString launchAgentsDirectory() const; // ~/Library/LaunchAgents
    // State the simulated Mac shares with its tools and the sim platform backend.
    QString simStateDirectory() const;
    QString sysfsDirectory() const; // /sys
    QString powerSupplyDirectory() const; // /sys/class/power_supply

private:
    QString root_;
    QString home_;
    QString dataHome_;
    QString socketOverride_;
};

} // namespace vantrel
