// The daemon's canonical settings: the "reload_user_settings" reply bytes as the socket delivers
// them, fetched as the settings synchroniser fetches them (the daemon says it holds a copy) and
// brought into fresh fan, battery and sleep state.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "FuzzSupport.h"
#include "base/Preferences.h"
#include "core/CanonicalUserIntent.h"
#include "core/DaemonCanonicalSettingsFetch.h"
#include "daemon/DaemonClient.h"
#include "daemon/DaemonSocketTransport.h"
#include "fan/FanControlState.h"
#include "power/BatteryPolicyState.h"
#include "sleep/BatteryInterlock.h"
#include "sleep/SleepSettingsState.h"

using namespace vantrel;

namespace {

// Answers the stored-copy question with yes and the reload with the input.
class InputTransport final : public DaemonTransport {
public:
    QByteArray reloadReply;

    std::optional<QJsonObject> send(const QJsonObject& request) override
    {
        const QString command = request.value(QStringLiteral("cmd")).toString();
        if (command == QStringLiteral("get_user_settings_state"))
            return QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")}, {QStringLiteral("exists"), true}};
        return DaemonSocketTransport::decodeReply(reloadReply, command);
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const auto transport = std::make_shared<InputTransport>();
    static const DaemonClient daemon{transport, fuzz::FileHarness::shared().paths().updateStatusFile()};
    transport->reloadReply = fuzz::bytesOf(data, size);
    const DaemonCanonicalSettingsFetchResult fetched = fetchDaemonCanonicalSettings(daemon);
    if (fetched.kind != DaemonCanonicalSettingsFetchResult::Kind::Loaded)
        return 0;
    MemoryPreferences prefs;
    FanControlState fan{prefs};
    BatteryPolicyState battery{prefs};
    SleepSettingsState sleep{prefs};
    syncUserIntentFromDaemonSettings(fetched.settings, fan, battery, sleep);
    // Whatever the daemon sent, the limits land on values the screens offer.
    if (battery.chargeLimit() < 50 || battery.chargeLimit() > 100)
        std::abort();
    const auto offered = [](int percent) {
        return std::ranges::find(batteryInterlockOptions, percent) != batteryInterlockOptions.end();
    };
    if (!offered(sleep.sleepBatteryCutoffPercent()) || !offered(sleep.virtualClamshellBatteryCutoffPercent()))
        std::abort();
    return 0;
}
