#pragma once
// The collaborators every page is built with, handed down from the root view.
#include <functional>
#include <memory>

#include <QString>

#include "ui/fancurve/FanScreenServices.h"

class QWidget;

namespace vantrel {

class BatteryPolicyState;
class BatteryTelemetryLog;
class DaemonClient;
class DesktopColorSchemeSetting;
class Dispatch;
class HardwareCapabilityStore;
class HeatProtectionAlertCenter;
class LocalActivitySampler;
class OnlyPowerEnergyStore;
class PowerSourceMonitor;
class Preferences;
class SleepControls;
class SystemProfiler;
class ThemeController;
class UiState;
class VantrelUpdateInstallation;
class Workspace;

struct UiContext {
    Dispatch* dispatch = nullptr;
    Preferences* preferences = nullptr;
    std::shared_ptr<DaemonClient> daemon;
    UiState* state = nullptr;
    // The computer's own CPU, memory and battery readings for what the daemon leaves out.
    std::shared_ptr<LocalActivitySampler> activitySampler;
    // What the machine is called ("MacBook Pro (14-inch, Nov 2023)").
    std::shared_ptr<SystemProfiler> systemProfiler;
    // The process's alert center; no alerts are shown without one.
    HeatProtectionAlertCenter* heatAlerts = nullptr;
    ThemeController* theme = nullptr;
    // The desktop's light/dark preference that "system" follows; absent: the platform palette.
    DesktopColorSchemeSetting* desktopColorScheme = nullptr;
    // The process's capability store; the main window's root view refreshes it when it is
    // built. Absent for pictures of the pages.
    HardwareCapabilityStore* capabilities = nullptr;
    // The fan model the fan page works with; incomplete: the fan page is a placeholder.
    FanScreenServices fan;
    // The power page's collaborators: the stored battery policy (the page keeps its own from the
    // preferences when absent), the battery readings, its history and the power-only figures.
    BatteryPolicyState* batteryPolicy = nullptr;
    std::shared_ptr<PowerSourceMonitor> powerSources;
    std::shared_ptr<BatteryTelemetryLog> batteryTelemetry;
    std::shared_ptr<OnlyPowerEnergyStore> onlyPowerEnergy;
    // The update flow behind the settings page's update card; absent: the button is disabled.
    VantrelUpdateInstallation* updates = nullptr;
    // Opens the support mail and the recovery application.
    std::shared_ptr<Workspace> workspace;
    // Switches the application's language (the central state's choice); absent: L10n alone.
    std::function<void(const QString&)> selectLanguage;
    // Where the recovery application lives; empty: its fixed place.
    QString recoveryApplicationPath;
    // The sleep page's switches over the model; without them the page is not offered.
    std::shared_ptr<SleepControls> sleepControls;
    // Ends the application (the delegate's quit path); the sidebar's quit button calls it.
    std::function<void()> quit;
};

// Switches the main window to another page by identifier.
using PageNavigator = std::function<void(const QString& pageId)>;
// Builds the page for one identifier; later screens register theirs with the root view.
using PageFactory = std::function<QWidget*(const UiContext& context, const PageNavigator& navigate, QWidget* parent)>;

} // namespace vantrel
