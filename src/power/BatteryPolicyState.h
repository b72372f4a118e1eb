#pragma once
// The user's battery policy as the central state publishes it. Every setter stores its
// preference at once; the daemon's canonical settings may later overwrite the values.
#include <optional>

#include <QObject>
#include <QString>

#include "power/BatteryConfiguration.h"

namespace vantrel {

class Preferences;

class BatteryPolicyState : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool batteryLimitEnabled READ batteryLimitEnabled WRITE setBatteryLimitEnabled NOTIFY
                   batteryLimitEnabledChanged)
    Q_PROPERTY(int chargeLimit READ chargeLimit WRITE setChargeLimit NOTIFY chargeLimitChanged)
    Q_PROPERTY(bool chargeProtectorEnabled READ chargeProtectorEnabled WRITE setChargeProtectorEnabled NOTIFY
                   chargeProtectorEnabledChanged)
    Q_PROPERTY(int chargeProtectorDropPercent READ chargeProtectorDropPercent WRITE setChargeProtectorDropPercent NOTIFY
                   chargeProtectorDropPercentChanged)
    Q_PROPERTY(
        bool safetyDrainEnabled READ safetyDrainEnabled WRITE setSafetyDrainEnabled NOTIFY safetyDrainEnabledChanged)
    Q_PROPERTY(std::optional<int> safetyDrainTargetPercent READ safetyDrainTargetPercent WRITE
                   setSafetyDrainTargetPercent NOTIFY safetyDrainTargetPercentChanged)
    Q_PROPERTY(bool heatProtectionEnabled READ heatProtectionEnabled WRITE setHeatProtectionEnabled NOTIFY
                   heatProtectionEnabledChanged)
    Q_PROPERTY(double maxBatteryTemp READ maxBatteryTemp WRITE setMaxBatteryTemp NOTIFY maxBatteryTempChanged)
    Q_PROPERTY(std::optional<QString> lastBatteryConfigSignature READ lastBatteryConfigSignature WRITE
                   setLastBatteryConfigSignature NOTIFY lastBatteryConfigSignatureChanged)

public:
    // Restores every stored value (and migrates the older keys) at construction.
    explicit BatteryPolicyState(Preferences& preferences, QObject* parent = nullptr);

    bool batteryLimitEnabled() const { return config_.batteryLimitEnabled; }
    int chargeLimit() const { return config_.chargeLimit; }
    bool chargeProtectorEnabled() const { return config_.chargeProtectorEnabled; }
    int chargeProtectorDropPercent() const { return BatteryConfiguration::fixedDropPercent; }
    bool safetyDrainEnabled() const { return config_.safetyDrainEnabled; }
    std::optional<int> safetyDrainTargetPercent() const { return config_.safetyDrainTargetPercent; }
    bool heatProtectionEnabled() const { return config_.heatProtectionEnabled; }
    double maxBatteryTemp() const { return config_.maxBatteryTemp; }
    // The signature of the last configuration the daemon accepted (not stored across launches).
    std::optional<QString> lastBatteryConfigSignature() const { return lastSignature_; }

    void setBatteryLimitEnabled(bool on);
    void setChargeLimit(int percent);
    void setChargeProtectorEnabled(bool on);
    // The drop is always 5: whatever is written, 5 remains.
    void setChargeProtectorDropPercent(int percent);
    void setSafetyDrainEnabled(bool on);
    // None removes the preference.
    void setSafetyDrainTargetPercent(std::optional<int> percent);
    void setHeatProtectionEnabled(bool on);
    // Non-finite temperatures are refused.
    void setMaxBatteryTemp(double celsius);
    void setLastBatteryConfigSignature(std::optional<QString> signature);

    // The eight policy values as one configuration, and all of them written at once.
    BatteryConfiguration configuration() const { return config_; }
    void setConfiguration(const BatteryConfiguration& config);

    // Preference keys.
    static const QString batteryLimitEnabledKey;
    static const QString chargeLimitKey;
    static const QString chargeProtectorEnabledKey;
    static const QString safetyDrainEnabledKey;
    static const QString safetyDrainTargetPercentKey;
    static const QString heatProtectionEnabledKey;
    static const QString maxBatteryTempKey;

Q_SIGNALS:
    void batteryLimitEnabledChanged();
    void chargeLimitChanged();
    void chargeProtectorEnabledChanged();
    void chargeProtectorDropPercentChanged();
    void safetyDrainEnabledChanged();
    void safetyDrainTargetPercentChanged();
    void heatProtectionEnabledChanged();
    void maxBatteryTempChanged();
    void lastBatteryConfigSignatureChanged();

private:
    void restore();

    Preferences& preferences_;
    BatteryConfiguration config_;
    std::optional<QString> lastSignature_;
};

} // namespace vantrel
