#pragma once
// Once a minute the heartbeat records what the daemon reports about the power policy, as
// evidence beside the power-only study log ("policy-readback.json", latest capture only).
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include "base/Dispatch.h"
#include "power/EvidenceRecorder.h"

namespace vantrel {

class DaemonClient;
class Paths;

class OnlyPowerPolicyEvidenceRecorder final : public EvidenceRecorder {
public:
    static const QString queueLabel; // "com.vantrel.only-power-policy-evidence"

    OnlyPowerPolicyEvidenceRecorder(DaemonClient& client, Dispatch& dispatch, const Paths& paths);

    // Asks the daemon for "get_power_policy_state" on the calling thread (the heartbeat's
    // utility queue) and writes the evidence on the recorder's serial queue. No reply, no write.
    void capture() override;

    // <Application Support>/Vantrel/only-power-cycle-study
    QString directory() const { return directory_; }
    QString evidenceFile() const;

    // The evidence object: schema, capture time, source and the policy keys the readback
    // holds with a non-null value.
    static QJsonObject evidence(const QJsonObject& readback, const QDateTime& observedAt);
    // Creates the folder (0700), writes the object with sorted keys atomically (0600).
    // On failure the reason is in *error.
    static bool write(const QString& directory, const QJsonObject& evidence, QString* error);

private:
    DaemonClient& client_;
    Dispatch& dispatch_;
    QueuePtr queue_;
    QString directory_;
};

} // namespace vantrel
