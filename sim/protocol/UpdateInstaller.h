#pragma once
// Update packages: verification of a staged package (SHA-256, version and bundle version read
// from its PackageInfo attributes) and a simulated installation that walks the installation
// states over a few simulated seconds, mirrored into the durable status file.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel::sim {

inline constexpr const char* kUpdateSchema = "vantrel_update_installation_state.v1";

struct PackageVerification {
    bool ok = false;
    QString code; // "ERR_…" when not ok
    QString message;
    QString sha256;
    QString version;
    QString bundleVersion;
    qint64 sizeBytes = 0;

    static PackageVerification check(const QString& pkgPath, const QString& expectedSha256,
                                     const QString& expectedVersion, const QString& expectedBundleVersion);
};

class UpdateInstaller {
public:
    // Where an installation ends: the default completes; the others take the failure paths.
    enum class Outcome {
        Completed,
        RolledBack,
        RecoveryFailed,
        ManualRecoveryRequired,
        LaunchFailed
    };
    static std::optional<Outcome> outcomeNamed(const QString& name);

    explicit UpdateInstaller(QString durableStatusPath);

    // Picks up an installation from an earlier run from the durable status file.
    void restore();
    void setOutcome(Outcome outcome) { outcome_ = outcome; }

    bool inProgress() const;
    // Starts an installation of a verified package; returns its transaction id.
    QString begin(const PackageVerification& package, double epochSeconds);
    // "ack_update_app_relaunch": true when transactionId is the current installation's.
    bool acknowledge(const QString& transactionId, double epochSeconds);
    void step(double dt, double epochSeconds);

    // The installation state ("schema_version", "state", "transaction_id", …); nothing when none ever ran.
    std::optional<QJsonObject> state() const;
    QString durableStatusPath() const { return path_; }

private:
    void enter(const QString& state, double epochSeconds);
    QString nextState() const;
    void writeDurableStatus() const;

    QString path_;
    Outcome outcome_ = Outcome::Completed;
    std::optional<QJsonObject> state_;
    double secondsInState_ = 0;
};

} // namespace vantrel::sim
