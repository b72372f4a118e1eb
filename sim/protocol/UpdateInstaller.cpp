#include "sim/protocol/UpdateInstaller.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUuid>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "base/JsonAccess.h"

namespace vantrel::sim {

namespace {

constexpr qint64 kMaxPackageBytes = 512LL * 1024 * 1024;
// The group the durable status file belongs to on a Mac ("admin").
constexpr gid_t kAdminGroup = 80;

const QStringList& finalStates()
{
    static const QStringList states{QStringLiteral("completed"), QStringLiteral("rolled_back"),
                                    QStringLiteral("recovery_failed"), QStringLiteral("manual_recovery_required"),
                                    QStringLiteral("launch_failed")};
    return states;
}

// Seconds each intermediate state lasts.
double dwellSeconds(const QString& state)
{
    if (state == QLatin1String("installing") || state == QLatin1String("rollback_pending_health"))
        return 2.0;
    return 1.0;
}

std::optional<QString> packageAttribute(const QByteArray& bytes, const char* name)
{
    const QRegularExpression re(QStringLiteral("%1=\"([^\"]{1,64})\"").arg(QLatin1String(name)));
    const auto match = re.match(QString::fromLatin1(bytes));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

QString isoTime(double epochSeconds)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(epochSeconds * 1000.0), Qt::UTC).toString(Qt::ISODate);
}

} // namespace

PackageVerification PackageVerification::check(const QString& pkgPath, const QString& expectedSha256,
                                               const QString& expectedVersion, const QString& expectedBundleVersion)
{
    PackageVerification v;
    const auto fail = [&v](const char* code, const QString& message) {
        v.code = QLatin1String(code);
        v.message = message;
        return v;
    };
    const QFileInfo info(pkgPath);
    if (!pkgPath.endsWith(QLatin1String(".pkg")))
        return fail("ERR_PACKAGE_NOT_PKG", QStringLiteral("The package path does not name a .pkg file."));
    if (!info.isFile())
        return fail("ERR_PACKAGE_NOT_FOUND", QStringLiteral("No package file at the given path."));
    if (info.size() > kMaxPackageBytes)
        return fail("ERR_PACKAGE_TOO_LARGE", QStringLiteral("The package is larger than the daemon accepts."));
    QFile file(pkgPath);
    if (!file.open(QIODevice::ReadOnly))
        return fail("ERR_PACKAGE_NOT_FOUND", QStringLiteral("The package cannot be read: %1").arg(file.errorString()));
    const QByteArray bytes = file.readAll();
    v.sizeBytes = bytes.size();
    v.sha256 = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    if (v.sha256 != expectedSha256.trimmed().toLower())
        return fail("ERR_PACKAGE_SHA256_MISMATCH",
                    QStringLiteral("The package's SHA-256 does not match the expected digest."));
    const auto version = packageAttribute(bytes, "CFBundleShortVersionString");
    const auto bundle = packageAttribute(bytes, "CFBundleVersion");
    if (!version || !bundle)
        return fail("ERR_PACKAGE_METADATA_MISSING",
                    QStringLiteral("The package carries no bundle version information."));
    v.version = *version;
    v.bundleVersion = *bundle;
    if (v.version != expectedVersion)
        return fail("ERR_PACKAGE_VERSION_MISMATCH",
                    QStringLiteral("The package holds version %1, not %2.").arg(v.version, expectedVersion));
    if (v.bundleVersion != expectedBundleVersion)
        return fail(
            "ERR_PACKAGE_BUNDLE_VERSION_MISMATCH",
            QStringLiteral("The package holds bundle version %1, not %2.").arg(v.bundleVersion, expectedBundleVersion));
    v.ok = true;
    return v;
}

std::optional<UpdateInstaller::Outcome> UpdateInstaller::outcomeNamed(const QString& name)
{
    if (name == QLatin1String("completed"))
        return Outcome::Completed;
    if (name == QLatin1String("rolled_back"))
        return Outcome::RolledBack;
    if (name == QLatin1String("recovery_failed"))
        return Outcome::RecoveryFailed;
    if (name == QLatin1String("manual_recovery_required"))
        return Outcome::ManualRecoveryRequired;
    if (name == QLatin1String("launch_failed"))
        return Outcome::LaunchFailed;
    return std::nullopt;
}

UpdateInstaller::UpdateInstaller(QString durableStatusPath)
    : path_(std::move(durableStatusPath))
{ }

void UpdateInstaller::restore()
{
    const auto bytes = readFile(path_, 65536);
    const auto object = bytes ? json::parseObject(*bytes) : std::nullopt;
    if (!object || json::string(*object, QStringLiteral("schema_version")) != QLatin1String(kUpdateSchema)
        || !json::string(*object, QStringLiteral("state")) || !json::string(*object, QStringLiteral("transaction_id")))
        return;
    state_ = *object;
    secondsInState_ = 0;
}

bool UpdateInstaller::inProgress() const
{
    return state_ && !finalStates().contains(state_->value(QStringLiteral("state")).toString());
}

QString UpdateInstaller::begin(const PackageVerification& package, double epochSeconds)
{
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    state_ = QJsonObject{
        {QStringLiteral("schema_version"), QLatin1String(kUpdateSchema)},
        {QStringLiteral("transaction_id"), id},
        {QStringLiteral("version"), package.version},
        {QStringLiteral("bundle_version"), package.bundleVersion},
        {QStringLiteral("pkg_sha256"), package.sha256},
        {QStringLiteral("started_at"), isoTime(epochSeconds)},
        {QStringLiteral("app_relaunch_acknowledged"), false},
    };
    enter(QStringLiteral("preparing"), epochSeconds);
    return id;
}

bool UpdateInstaller::acknowledge(const QString& transactionId, double epochSeconds)
{
    if (!state_ || state_->value(QStringLiteral("transaction_id")).toString() != transactionId)
        return false;
    state_->insert(QStringLiteral("app_relaunch_acknowledged"), true);
    if (state_->value(QStringLiteral("state")).toString() == QLatin1String("postinstall_verified")
        && outcome_ == Outcome::Completed)
        enter(QStringLiteral("app_relaunch_acknowledged"), epochSeconds);
    else
        writeDurableStatus();
    return true;
}

QString UpdateInstaller::nextState() const
{
    const QString current = state_->value(QStringLiteral("state")).toString();
    if (current == QLatin1String("preparing"))
        return QStringLiteral("installing");
    if (current == QLatin1String("installing")) {
        if (outcome_ == Outcome::RecoveryFailed)
            return QStringLiteral("recovery_failed");
        if (outcome_ == Outcome::ManualRecoveryRequired)
            return QStringLiteral("rollback_pending_health");
        return QStringLiteral("postinstall_bootstrap_authorized");
    }
    if (current == QLatin1String("postinstall_bootstrap_authorized"))
        return QStringLiteral("postinstall_verified");
    if (current == QLatin1String("postinstall_verified")) {
        if (outcome_ == Outcome::RolledBack)
            return QStringLiteral("rollback_pending_health");
        if (outcome_ == Outcome::LaunchFailed)
            return QStringLiteral("launch_failed");
        return QStringLiteral("completed");
    }
    if (current == QLatin1String("app_relaunch_acknowledged"))
        return QStringLiteral("completed");
    if (current == QLatin1String("rollback_pending_health"))
        return outcome_ == Outcome::ManualRecoveryRequired ? QStringLiteral("manual_recovery_required")
                                                           : QStringLiteral("rolled_back");
    return current;
}

void UpdateInstaller::step(double dt, double epochSeconds)
{
    if (!inProgress())
        return;
    secondsInState_ += dt;
    const QString current = state_->value(QStringLiteral("state")).toString();
    if (secondsInState_ >= dwellSeconds(current))
        enter(nextState(), epochSeconds);
}

std::optional<QJsonObject> UpdateInstaller::state() const { return state_; }

void UpdateInstaller::enter(const QString& state, double epochSeconds)
{
    state_->insert(QStringLiteral("state"), state);
    state_->insert(QStringLiteral("updated_at"), isoTime(epochSeconds));
    secondsInState_ = 0;
    writeDurableStatus();
}

void UpdateInstaller::writeDurableStatus() const
{
    if (!state_ || path_.isEmpty())
        return;
    const auto mode
        = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!writeFileAtomically(path_, QJsonDocument(*state_).toJson(QJsonDocument::Indented), mode))
        return;
    // root:admin as the application's trust check expects, where this process may set it.
    if (::geteuid() == 0 && ::chown(QFile::encodeName(path_).constData(), 0, kAdminGroup) != 0) {
        // Left as written: the application then falls back to asking the daemon.
    }
}

} // namespace vantrel::sim
