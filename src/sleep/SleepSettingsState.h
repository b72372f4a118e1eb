#pragma once
// The user's sleep settings and intents, persisted under their preference keys. Every
// setter stores the new value at once; restore() reads what exists at start-up.
#include <QObject>

namespace vantrel {

class Preferences;

class SleepSettingsState : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool darkKeepAliveEnabled READ darkKeepAliveEnabled WRITE setDarkKeepAliveEnabled NOTIFY
                   darkKeepAliveEnabledChanged)
    Q_PROPERTY(int darkKeepAliveMode READ darkKeepAliveMode WRITE setDarkKeepAliveMode NOTIFY darkKeepAliveModeChanged)
    Q_PROPERTY(bool displayKeepAliveEnabled READ displayKeepAliveEnabled WRITE setDisplayKeepAliveEnabled NOTIFY
                   displayKeepAliveEnabledChanged)
    Q_PROPERTY(bool lockOnLidOpenEnabled READ lockOnLidOpenEnabled WRITE setLockOnLidOpenEnabled NOTIFY
                   lockOnLidOpenEnabledChanged)
    Q_PROPERTY(bool virtualDisplayEnabled READ virtualDisplayEnabled WRITE setVirtualDisplayEnabled NOTIFY
                   virtualDisplayEnabledChanged)
    Q_PROPERTY(int sleepBatteryCutoffPercent READ sleepBatteryCutoffPercent WRITE setSleepBatteryCutoffPercent NOTIFY
                   sleepBatteryCutoffPercentChanged)
    Q_PROPERTY(int virtualClamshellBatteryCutoffPercent READ virtualClamshellBatteryCutoffPercent WRITE
                   setVirtualClamshellBatteryCutoffPercent NOTIFY virtualClamshellBatteryCutoffPercentChanged)
    Q_PROPERTY(bool userIntendedDarkKeepAliveEnabled READ userIntendedDarkKeepAliveEnabled WRITE
                   setUserIntendedDarkKeepAliveEnabled NOTIFY userIntendedDarkKeepAliveEnabledChanged)

public:
    explicit SleepSettingsState(Preferences& preferences, QObject* parent = nullptr);

    // Applies every stored key that exists; cut-offs are normalised, missing intents follow the runtime value.
    void restore();
    // True while restore() runs: side effects of a change are not wanted for a loaded value.
    bool isRestoring() const { return restoring_; }

    bool darkKeepAliveEnabled() const { return darkKeepAliveEnabled_; }
    int darkKeepAliveMode() const { return darkKeepAliveMode_; }
    bool displayKeepAliveEnabled() const { return displayKeepAliveEnabled_; }
    bool lockOnLidOpenEnabled() const { return lockOnLidOpenEnabled_; }
    bool virtualDisplayEnabled() const { return virtualDisplayEnabled_; }
    int sleepBatteryCutoffPercent() const { return sleepBatteryCutoffPercent_; }
    int virtualClamshellBatteryCutoffPercent() const { return virtualClamshellBatteryCutoffPercent_; }
    bool userIntendedDarkKeepAliveEnabled() const { return userIntendedDarkKeepAliveEnabled_; }
    bool userIntendedVirtualDisplayEnabled() const { return userIntendedVirtualDisplayEnabled_; }
    bool userIntendedLockOnLidOpenEnabled() const { return userIntendedLockOnLidOpenEnabled_; }

    void setDarkKeepAliveEnabled(bool v);
    void setDarkKeepAliveMode(int v);
    void setDisplayKeepAliveEnabled(bool v);
    void setLockOnLidOpenEnabled(bool v);
    void setVirtualDisplayEnabled(bool v);
    void setSleepBatteryCutoffPercent(int v);
    void setVirtualClamshellBatteryCutoffPercent(int v);
    void setUserIntendedDarkKeepAliveEnabled(bool v);
    void setUserIntendedVirtualDisplayEnabled(bool v);
    void setUserIntendedLockOnLidOpenEnabled(bool v);

Q_SIGNALS:
    void darkKeepAliveEnabledChanged();
    void darkKeepAliveModeChanged();
    void displayKeepAliveEnabledChanged();
    void lockOnLidOpenEnabledChanged();
    void virtualDisplayEnabledChanged();
    void sleepBatteryCutoffPercentChanged();
    void virtualClamshellBatteryCutoffPercentChanged();
    void userIntendedDarkKeepAliveEnabledChanged();
    // One of the five settings that change what the sleep runtime must do.
    void sleepRuntimeSettingChanged();

private:
    Preferences& preferences_;
    bool restoring_ = false;
    bool darkKeepAliveEnabled_ = false;
    int darkKeepAliveMode_ = 1;
    bool displayKeepAliveEnabled_ = false;
    bool lockOnLidOpenEnabled_ = false;
    bool virtualDisplayEnabled_ = false;
    int sleepBatteryCutoffPercent_ = 50;
    int virtualClamshellBatteryCutoffPercent_ = 50;
    bool userIntendedDarkKeepAliveEnabled_ = false;
    bool userIntendedVirtualDisplayEnabled_ = false;
    bool userIntendedLockOnLidOpenEnabled_ = false;
};

} // namespace vantrel
