#include "sleep/SleepSettingsState.h"

#include <algorithm>

#include "base/Preferences.h"
#include "sleep/BatteryInterlock.h"

namespace vantrel {

SleepSettingsState::SleepSettingsState(Preferences& preferences, QObject* parent)
    : QObject(parent)
    , preferences_(preferences)
{
    // Each of the five runtime settings asks for a sleep reconcile when it changes.
    for (auto signal :
         {&SleepSettingsState::darkKeepAliveEnabledChanged, &SleepSettingsState::darkKeepAliveModeChanged,
          &SleepSettingsState::displayKeepAliveEnabledChanged, &SleepSettingsState::virtualDisplayEnabledChanged,
          &SleepSettingsState::lockOnLidOpenEnabledChanged})
        connect(this, signal, this, &SleepSettingsState::sleepRuntimeSettingChanged);
}

void SleepSettingsState::restore()
{
    const auto& p = preferences_;
    restoring_ = true;
    if (auto v = p.optionalBool(QStringLiteral("darkKeepAliveEnabled")))
        setDarkKeepAliveEnabled(*v);
    if (auto v = p.optionalInt(QStringLiteral("darkKeepAliveMode")))
        setDarkKeepAliveMode(static_cast<int>(*v));
    if (auto v = p.optionalBool(QStringLiteral("displayKeepAliveEnabled")))
        setDisplayKeepAliveEnabled(*v);
    if (auto v = p.optionalBool(QStringLiteral("lockOnLidOpenEnabled")))
        setLockOnLidOpenEnabled(*v);
    if (auto v = p.optionalBool(QStringLiteral("virtualDisplayEnabled")))
        setVirtualDisplayEnabled(*v);
    if (auto v = p.optionalInt(QStringLiteral("sleepBatteryCutoffPercent")))
        setSleepBatteryCutoffPercent(
            normalizedBatteryInterlockPercent(static_cast<int>(std::clamp<qint64>(*v, -1000, 1000))));
    if (auto v = p.optionalInt(QStringLiteral("virtualClamshellBatteryCutoffPercent")))
        setVirtualClamshellBatteryCutoffPercent(
            normalizedBatteryInterlockPercent(static_cast<int>(std::clamp<qint64>(*v, -1000, 1000))));
    setUserIntendedDarkKeepAliveEnabled(
        p.optionalBool(QStringLiteral("darkKeepAliveUserIntentEnabled")).value_or(darkKeepAliveEnabled_));
    setUserIntendedVirtualDisplayEnabled(
        p.optionalBool(QStringLiteral("virtualDisplayUserIntentEnabled")).value_or(virtualDisplayEnabled_));
    setUserIntendedLockOnLidOpenEnabled(
        p.optionalBool(QStringLiteral("lockOnLidOpenUserIntentEnabled")).value_or(lockOnLidOpenEnabled_));
    restoring_ = false;
}

#define VANTREL_SLEEP_SETTER(Name, member, type, key, signal)                                                          \
    void SleepSettingsState::Name(type v)                                                                              \
    {                                                                                                                  \
        preferences_.setValue(QStringLiteral(key), v);                                                                 \
        if (member == v)                                                                                               \
            return;                                                                                                    \
        member = v;                                                                                                    \
        Q_EMIT signal();                                                                                               \
    }

VANTREL_SLEEP_SETTER(setDarkKeepAliveEnabled, darkKeepAliveEnabled_, bool, "darkKeepAliveEnabled",
                     darkKeepAliveEnabledChanged)
VANTREL_SLEEP_SETTER(setDarkKeepAliveMode, darkKeepAliveMode_, int, "darkKeepAliveMode", darkKeepAliveModeChanged)
VANTREL_SLEEP_SETTER(setDisplayKeepAliveEnabled, displayKeepAliveEnabled_, bool, "displayKeepAliveEnabled",
                     displayKeepAliveEnabledChanged)
VANTREL_SLEEP_SETTER(setLockOnLidOpenEnabled, lockOnLidOpenEnabled_, bool, "lockOnLidOpenEnabled",
                     lockOnLidOpenEnabledChanged)
VANTREL_SLEEP_SETTER(setVirtualDisplayEnabled, virtualDisplayEnabled_, bool, "virtualDisplayEnabled",
                     virtualDisplayEnabledChanged)
VANTREL_SLEEP_SETTER(setSleepBatteryCutoffPercent, sleepBatteryCutoffPercent_, int, "sleepBatteryCutoffPercent",
                     sleepBatteryCutoffPercentChanged)
VANTREL_SLEEP_SETTER(setVirtualClamshellBatteryCutoffPercent, virtualClamshellBatteryCutoffPercent_, int,
                     "virtualClamshellBatteryCutoffPercent", virtualClamshellBatteryCutoffPercentChanged)
VANTREL_SLEEP_SETTER(setUserIntendedDarkKeepAliveEnabled, userIntendedDarkKeepAliveEnabled_, bool,
                     "darkKeepAliveUserIntentEnabled", userIntendedDarkKeepAliveEnabledChanged)
#undef VANTREL_SLEEP_SETTER

void SleepSettingsState::setUserIntendedVirtualDisplayEnabled(bool v)
{
    preferences_.setValue(QStringLiteral("virtualDisplayUserIntentEnabled"), v);
    userIntendedVirtualDisplayEnabled_ = v;
}

void SleepSettingsState::setUserIntendedLockOnLidOpenEnabled(bool v)
{
    preferences_.setValue(QStringLiteral("lockOnLidOpenUserIntentEnabled"), v);
    userIntendedLockOnLidOpenEnabled_ = v;
}

} // namespace vantrel
