#include "fan/FanConfigurationApplier.h"

#include <QPointer>

#include "base/Dispatch.h"
#include "base/Log.h"
#include "daemon/DaemonClient.h"
#include "fan/FanConfigRequest.h"
#include "fan/FanControlState.h"

namespace vantrel {

FanConfigurationApplier::FanConfigurationApplier(FanControlState& state, DaemonClient& client, Dispatch& dispatch,
                                                 std::function<bool()> supportsSafeFanControl, QObject* parent)
    : QObject(parent)
    , state_(state)
    , client_(client)
    , dispatch_(dispatch)
    , supportsSafeFanControl_(std::move(supportsSafeFanControl))
{ }

bool FanConfigurationApplier::fanControlsAvailable() const
{
    return supportsSafeFanControl_ && supportsSafeFanControl_();
}

bool FanConfigurationApplier::sendNow(const FanConfigRequest& request)
{
    return fanControlsAvailable() && client_.sendOk(request.toJson());
}

bool FanConfigurationApplier::applyFanConfigurationNow(const QString& reason, std::function<void(bool)> completion)
{
    if (!fanControlsAvailable())
        return false;

    // Taken now, so a later change of the configuration does not alter a send already queued.
    FanConfigRequest request;
    request.mode = state_.fanMode();
    request.unified = state_.isUnifiedFanControl();
    request.leftPoints = state_.currentCurve().points;
    request.rightPoints = state_.currentCurveRight().points;
    request.presetName = state_.currentCurve().name;
    request.smartAppPreset = state_.smartAppPresetEnabled();

    DaemonClient& client = client_;
    Dispatch& dispatch = dispatch_;
    QPointer<FanConfigurationApplier> guard(this); // the completion runs only while the applier lives
    dispatch_.global(QoS::UserInitiated)
        ->async([guard, &client, &dispatch, request, reason, completion = std::move(completion)] {
            const bool ok = client.sendOk(request.toJson());
            dispatch.main()->async([guard, ok, request, reason, completion] {
                if (!guard)
                    return;
                if (completion)
                    completion(ok);
                logLine(QStringLiteral("Vantrel fan sync (") + reason + QStringLiteral("): mode=")
                        + rawValue(request.mode) + QStringLiteral(" unified=") + boolText(request.unified)
                        + QStringLiteral(" smartAppPreset=") + boolText(request.smartAppPreset) + QStringLiteral(" ok=")
                        + boolText(ok));
            });
        });
    return true;
}

} // namespace vantrel
