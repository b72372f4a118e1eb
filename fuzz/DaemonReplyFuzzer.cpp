// Reply bytes as the socket delivers them, decoded and then read by every reply reader.
#include <QJsonObject>
#include <QString>

#include "FuzzSupport.h"
#include "daemon/DaemonSocketTransport.h"
#include "daemon/DaemonStatus.h"
#include "daemon/DiagnosticSupport.h"
#include "daemon/HardwareProfileReply.h"
#include "daemon/PowerPolicyState.h"
#include "daemon/ReloadedUserSettings.h"
#include "daemon/RuntimeOwnership.h"
#include "daemon/SleepRuntimeApplyResult.h"
#include "daemon/SystemSnapshot.h"
#include "daemon/UserSettingsState.h"
#include "ui/dashboard/EvidenceTimeline.h"

using namespace vantrel;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto reply = DaemonSocketTransport::decodeReply(fuzz::bytesOf(data, size), QStringLiteral("get_status"));
    (void)SleepRuntimeApplyResult::fromReply(reply);
    (void)DiagnosticSupportError::fromReply(reply);
    if (!reply)
        return 0;
    const auto status = DaemonStatus::fromReply(*reply);
    (void)DaemonStatus::fromJson(status.toJson());
    (void)DaemonStatus::fromJson(*reply);
    (void)HardwareProfileReply::fromReply(*reply);
    (void)PowerPolicyState::fromReply(*reply);
    (void)SystemSnapshot::fromReply(*reply);
    (void)UserSettingsState::fromReply(*reply);
    (void)ReloadedUserSettings::fromReply(*reply);
    (void)RuntimeOwnership::fromReply(*reply).admitsProduction();
    (void)DiagnosticPackagePreview::fromReply(*reply);
    (void)DiagnosticExportResult::fromReply(*reply);
    // The dashboard's event timeline, with its words as shown.
    for (const auto& entry : dashboard::parseEvidenceEvents(*reply)) {
        (void)dashboard::evidenceWord(entry.trigger, QStringLiteral("en"));
        (void)dashboard::evidenceWord(entry.resultState, QStringLiteral("ko"));
    }
    return 0;
}
