#include "power/BatteryConfigurationApplier.h"

#include "base/Dispatch.h"
#include "base/JsonAccess.h"
#include "base/Log.h"
#include "daemon/DaemonClient.h"
#include "power/BatteryPolicyState.h"

namespace vantrel {

BatteryConfigurationApplier::BatteryConfigurationApplier(BatteryPolicyState& state, DaemonClient& client,
                                                         Dispatch& dispatch, std::function<bool()> hasBattery,
                                                         QObject* parent)
    : QObject(parent)
    , state_(state)
    , client_(client)
    , dispatch_(dispatch)
    , hasBattery_(std::move(hasBattery))
{ }

bool BatteryConfigurationApplier::applyBatteryConfigurationNow(const QString& reason, Completion completion)
{
    if (!hasBattery_ || !hasBattery_())
        return false;
    const BatteryConfiguration config = state_.configuration();
    const QString signature = config.signature();
    if (state_.lastBatteryConfigSignature() == signature) {
        logLine(QStringLiteral("Vantrel battery sync skipped duplicate (") + reason + QStringLiteral("): ")
                + signature);
        dispatch_.main()->async([completion] {
            if (completion)
                completion(true);
        });
        return true;
    }
    // The client and the dispatch live for the process; the applier itself is held weakly.
    dispatch_.global(QoS::UserInitiated)
        ->async([client = &client_, main = dispatch_.main(), guard = QPointer<BatteryConfigurationApplier>(this),
                 config, signature, reason, completion] {
            const auto reply = client->send(config.request());
            const bool accepted = reply && json::isOkStatus(*reply);
            logLine(config.syncLogLine(reason, accepted));
            main->async([guard, signature, accepted, completion] {
                if (guard && accepted)
                    guard->state_.setLastBatteryConfigSignature(signature);
                if (completion)
                    completion(accepted);
            });
        });
    return true;
}

void BatteryConfigurationApplier::forgetAppliedSignature() { state_.setLastBatteryConfigSignature(std::nullopt); }

} // namespace vantrel
