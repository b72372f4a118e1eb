#include "power/OnlyPowerPolicyEvidenceRecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/AtomicFile.h"
#include "base/JsonAccess.h"
#include "base/Log.h"
#include "base/Paths.h"
#include "daemon/DaemonClient.h"

namespace vantrel {

const QString OnlyPowerPolicyEvidenceRecorder::queueLabel = QStringLiteral("com.vantrel.only-power-policy-evidence");

namespace {

const QString evidenceFileName = QStringLiteral("policy-readback.json");

const QStringList& copiedKeys()
{
    static const QStringList keys{
        QStringLiteral("app_lease_active"),
        QStringLiteral("hardware_fallback_active"),
        QStringLiteral("low_battery_vanilla_active"),
        QStringLiteral("external_power_connected"),
        QStringLiteral("battery_percent"),
        QStringLiteral("charge_limit_enabled"),
        QStringLiteral("target_charge_limit"),
        QStringLiteral("charge_protector_enabled"),
        QStringLiteral("safety_drain_enabled"),
        QStringLiteral("safety_drain_active"),
        QStringLiteral("heat_protection_enabled"),
        QStringLiteral("power_only_state"),
    };
    return keys;
}

// Creates path and any missing parents; each folder this call creates is private to the user.
bool makePrivateDirectory(const QString& path, QString* error)
{
    QStringList missing;
    for (QFileInfo info(path); !info.exists(); info = QFileInfo(info.absolutePath())) {
        missing.prepend(info.absoluteFilePath());
        if (info.isRoot())
            break;
    }
    if (!QDir().mkpath(path) || !QFileInfo(path).isDir()) {
        if (error)
            *error = QStringLiteral("could not create the folder ") + path;
        return false;
    }
    for (const QString& dir : missing)
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}

} // namespace

OnlyPowerPolicyEvidenceRecorder::OnlyPowerPolicyEvidenceRecorder(DaemonClient& client, Dispatch& dispatch,
                                                                 const Paths& paths)
    : client_(client)
    , dispatch_(dispatch)
    , queue_(dispatch.makeSerialQueue(queueLabel, QoS::Utility))
    , directory_(paths.appSupportFile(QStringLiteral("only-power-cycle-study")))
{ }

QString OnlyPowerPolicyEvidenceRecorder::evidenceFile() const
{
    return directory_ + QLatin1Char('/') + evidenceFileName;
}

void OnlyPowerPolicyEvidenceRecorder::capture()
{
    const auto readback = client_.getPowerPolicyState();
    if (!readback)
        return;
    const QJsonObject object = evidence(*readback, dispatch_.clock().now());
    queue_->async([directory = directory_, object] {
        QString error;
        if (!write(directory, object, &error))
            systemLog(QStringLiteral("Vantrel policy evidence write failed: ") + error);
    });
}

QJsonObject OnlyPowerPolicyEvidenceRecorder::evidence(const QJsonObject& readback, const QDateTime& observedAt)
{
    QJsonObject o{
        {QStringLiteral("schema_version"), QStringLiteral("vantrel_only_power_policy_readback.v1")},
        {QStringLiteral("observed_at"), observedAt.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("epoch_seconds"), static_cast<double>(observedAt.toMSecsSinceEpoch()) / 1000.0},
        {QStringLiteral("source"), QStringLiteral("authenticated_app_daemon_ipc")},
    };
    for (const QString& key : copiedKeys()) {
        const QJsonValue v = readback.value(key);
        if (!v.isUndefined() && !v.isNull())
            o.insert(key, v);
    }
    return o;
}

bool OnlyPowerPolicyEvidenceRecorder::write(const QString& directory, const QJsonObject& evidence, QString* error)
{
    if (!makePrivateDirectory(directory, error))
        return false;
    return writeFileAtomically(directory + QLatin1Char('/') + evidenceFileName, json::sortedCompact(evidence),
                               QFileDevice::ReadOwner | QFileDevice::WriteOwner, error);
}

} // namespace vantrel
