#include <gtest/gtest.h>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "l10n/L10n.h"
#include "ui/onboarding/OnboardingGateModel.h"

namespace vantrel {
namespace {

// The simulated Mac's side of readiness: a test flips these as the user would in the
// system settings or the installer would on disk.
struct FakeMac {
    bool trusted = false; // what the platform answers
    bool centralTrusted = false; // what the central state last read
    bool helperInstalled = false;
    std::optional<QString> installError;
    int installs = 0;
    int centralRefreshes = 0;
    int availabilityRefreshes = 0;
    int settingsOpened = 0;
    QString prompt;
    QString language;

    OnboardingEnvironment environment()
    {
        OnboardingEnvironment e;
        e.refreshCentralState = [this] {
            ++centralRefreshes;
            centralTrusted = trusted;
        };
        e.refreshAutomationAndAvailability = [this] { ++availabilityRefreshes; };
        e.accessibilityTrusted = [this] { return centralTrusted; };
        e.openAccessibilitySettings = [this] { ++settingsOpened; };
        e.selectLanguage = [this](const QString& lang) { language = lang; };
        e.helperReady = [this] { return helperInstalled; };
        e.installHelper = [this](const QString& adminPrompt) -> std::optional<QString> {
            ++installs;
            prompt = adminPrompt;
            if (installError)
                return installError;
            helperInstalled = true;
            return std::nullopt;
        };
        return e;
    }
};

TEST(OnboardingGateModel, FirstStartWalksThroughLanguageAndPermissions)
{
    L10n::setCurrentLanguage(QStringLiteral("en"));
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    FakeMac mac;
    OnboardingGateModel model(dispatch, prefs, mac.environment());
    std::vector<VantrelOnboardingPhase> phases;
    QObject::connect(&model, &OnboardingGateModel::phaseChanged,
                     [&](VantrelOnboardingPhase p) { phases.push_back(p); });

    model.refreshOnboardingState();
    EXPECT_FALSE(model.hasChecked());
    dispatch.runUntilIdle();
    EXPECT_TRUE(model.hasChecked());
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::language);
    ASSERT_TRUE(model.permissionLastCheckedAt().has_value());
    EXPECT_EQ(*model.permissionLastCheckedAt(), dispatch.clock().now());
    EXPECT_EQ(mac.centralRefreshes, 1);

    // Finishing permissions does nothing on the language step.
    model.finishPermissions();
    dispatch.runUntilIdle();
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::language);

    model.completeLanguage(QStringLiteral("ko"));
    EXPECT_EQ(mac.language, QStringLiteral("ko"));
    EXPECT_TRUE(prefs.boolValue(OnboardingGateModel::languageCompletedKey));
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::permissions);
    EXPECT_EQ(model.statusLineKey(), QStringLiteral("onboarding.battery_helper.status_required"));
    EXPECT_EQ(model.statusLineTone(), DSToken::orange);

    model.installBatteryHelper();
    EXPECT_TRUE(model.isInstallingBatteryHelper());
    EXPECT_EQ(model.batteryHelperStatusKey(), QStringLiteral("onboarding.battery_helper.installing"));
    dispatch.runUntilIdle();
    EXPECT_FALSE(model.isInstallingBatteryHelper());
    EXPECT_EQ(mac.installs, 1);
    EXPECT_EQ(mac.prompt, L10n::tr("onboarding.battery_helper.admin_prompt"));
    EXPECT_EQ(mac.availabilityRefreshes, 1);
    EXPECT_TRUE(model.batteryHelperReady());
    EXPECT_EQ(model.batteryHelperStatusKey(), QStringLiteral("onboarding.battery_helper.installed"));
    EXPECT_EQ(model.statusLineKey(), QStringLiteral("onboarding.battery_helper.status_ready"));
    EXPECT_EQ(model.statusLineTone(), DSToken::green);

    // Helper ready, accessibility still missing: finish stays on permissions.
    model.finishPermissions();
    dispatch.runUntilIdle();
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::permissions);
    EXPECT_FALSE(model.permissionsReady());

    mac.trusted = true;
    model.finishPermissions();
    dispatch.runUntilIdle();
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::complete);
    EXPECT_EQ(
        phases,
        (std::vector<VantrelOnboardingPhase>{VantrelOnboardingPhase::permissions, VantrelOnboardingPhase::complete}));
}

TEST(OnboardingGateModel, ReturningUserStartsInPermissionsOrComplete)
{
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    prefs.setValue(OnboardingGateModel::languageCompletedKey, true);
    FakeMac mac;
    {
        OnboardingGateModel model(dispatch, prefs, mac.environment());
        EXPECT_EQ(model.phase(), VantrelOnboardingPhase::permissions);
        model.refreshOnboardingState();
        dispatch.runUntilIdle();
        EXPECT_EQ(model.phase(), VantrelOnboardingPhase::permissions);
    }
    mac.trusted = true;
    mac.helperInstalled = true;
    OnboardingGateModel model(dispatch, prefs, mac.environment());
    model.refreshOnboardingState();
    dispatch.runUntilIdle();
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::complete);
    EXPECT_TRUE(model.permissionsReady());
}

TEST(OnboardingGateModel, GrantingAccessibilityAdvancesWithinThirtySecondsWithoutAClick)
{
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    prefs.setValue(OnboardingGateModel::languageCompletedKey, true);
    FakeMac mac;
    mac.helperInstalled = true;
    OnboardingGateModel model(dispatch, prefs, mac.environment());
    model.refreshOnboardingState();
    dispatch.runUntilIdle();
    ASSERT_EQ(model.phase(), VantrelOnboardingPhase::permissions);

    model.openAccessibilitySettings();
    EXPECT_TRUE(model.didOpenAccessibilitySettings());
    EXPECT_EQ(mac.settingsOpened, 1);
    EXPECT_EQ(model.pendingRechecks(), 10);
    const int before = mac.centralRefreshes;
    dispatch.advanceSeconds(4);
    // 0.5, 1, 1.5, 2 and 3 s have re-checked; nothing granted yet.
    EXPECT_EQ(mac.centralRefreshes - before, 5);
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::permissions);

    // The user allows it 25 s in; the 30-second re-check finds it.
    dispatch.advanceSeconds(21);
    mac.trusted = true;
    dispatch.advanceSeconds(4.9);
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::permissions);
    dispatch.advanceSeconds(0.1);
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::complete);
    EXPECT_EQ(mac.centralRefreshes - before, 10);

    // Nothing more is scheduled after the last re-check.
    dispatch.advanceSeconds(120);
    EXPECT_EQ(mac.centralRefreshes - before, 10);
}

TEST(OnboardingGateModel, SecondInstallPressWhileInstallingDoesNothing)
{
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    FakeMac mac;
    OnboardingGateModel model(dispatch, prefs, mac.environment());
    int changes = 0;
    QObject::connect(&model, &OnboardingGateModel::stateChanged, [&] { ++changes; });
    model.installBatteryHelper();
    const int afterFirst = changes;
    model.installBatteryHelper();
    model.installBatteryHelper();
    EXPECT_EQ(changes, afterFirst);
    dispatch.runUntilIdle();
    EXPECT_EQ(mac.installs, 1);

    // Once finished, a new press installs again.
    model.installBatteryHelper();
    dispatch.runUntilIdle();
    EXPECT_EQ(mac.installs, 2);
}

TEST(OnboardingGateModel, FailedOrCancelledInstallShowsTheErrorAndCanBeRetried)
{
    L10n::setCurrentLanguage(QStringLiteral("en"));
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    prefs.setValue(OnboardingGateModel::languageCompletedKey, true);
    FakeMac mac;
    mac.installError = QStringLiteral("User canceled.");
    OnboardingGateModel model(dispatch, prefs, mac.environment());
    model.installBatteryHelper();
    dispatch.runUntilIdle();
    EXPECT_FALSE(model.isInstallingBatteryHelper());
    EXPECT_FALSE(model.batteryHelperReady());
    EXPECT_EQ(model.batteryHelperErrorMessage(), QStringLiteral("User canceled."));
    EXPECT_EQ(model.statusLineKey(), QStringLiteral("onboarding.battery_helper.install_failed"));
    EXPECT_EQ(model.statusLineTone(), DSToken::red);
    EXPECT_EQ(model.installOutcomeText(),
              L10n::tr("onboarding.battery_helper.install_failed") + QStringLiteral(" User canceled."));

    // A re-check keeps the error on screen; a successful retry clears it.
    model.refreshRuntimeReadiness(false);
    dispatch.runUntilIdle();
    EXPECT_EQ(model.statusLineTone(), DSToken::red);
    mac.installError.reset();
    model.installBatteryHelper();
    dispatch.runUntilIdle();
    EXPECT_FALSE(model.batteryHelperErrorMessage().has_value());
    EXPECT_EQ(model.statusLineTone(), DSToken::green);
    EXPECT_EQ(model.installOutcomeText(), L10n::tr("onboarding.battery_helper.installed"));
}

TEST(OnboardingGateModel, LosingReadinessReturnsToPermissions)
{
    VirtualDispatch dispatch;
    MemoryPreferences prefs;
    prefs.setValue(OnboardingGateModel::languageCompletedKey, true);
    FakeMac mac;
    mac.trusted = true;
    mac.helperInstalled = true;
    OnboardingGateModel model(dispatch, prefs, mac.environment());
    model.refreshOnboardingState();
    dispatch.runUntilIdle();
    ASSERT_EQ(model.phase(), VantrelOnboardingPhase::complete);

    // Still ready: a re-check leaves the main content alone.
    model.refreshRuntimeReadiness(false);
    dispatch.runUntilIdle();
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::complete);

    // The permission file vanishes: back to permissions, and no automatic return without a check.
    mac.helperInstalled = false;
    model.refreshRuntimeReadiness(false);
    dispatch.runUntilIdle();
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::permissions);
    mac.helperInstalled = true;
    model.refreshRuntimeReadiness(false);
    dispatch.runUntilIdle();
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::permissions);
    model.refreshRuntimeReadiness(true);
    dispatch.runUntilIdle();
    EXPECT_EQ(model.phase(), VantrelOnboardingPhase::complete);
}

} // namespace
} // namespace vantrel
