// The onboarding gate offscreen over virtual time: the language step, the install button, the
// accessibility re-checks and the fall-back from the main content all end on the right page.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "UiTestRig.h"
#include "l10n/L10n.h"
#include "ui/onboarding/OnboardingGateModel.h"
#include "ui/onboarding/OnboardingLanguagePage.h"
#include "ui/onboarding/OnboardingPermissionsPage.h"
#include "ui/onboarding/VantrelOnboardingGate.h"
#include "ui/shell/VantrelRootView.h"
#include "ui/widgets/StatusLine.h"
#include "ui/widgets/TokenLabel.h"

using namespace vantrel;

namespace {

struct GateRig : test::UiTestRig {
    bool trusted = false;
    bool centralTrusted = false;
    bool helperInstalled = false;
    std::optional<QString> installError;
    int installs = 0;
    std::unique_ptr<OnboardingGateModel> model;
    std::unique_ptr<VantrelOnboardingGate> gate;

    GateRig()
    {
        L10n::setCurrentLanguage(QStringLiteral("en"));
        answerStatus();
        OnboardingEnvironment e;
        e.refreshCentralState = [this] { centralTrusted = trusted; };
        e.accessibilityTrusted = [this] { return centralTrusted; };
        e.selectLanguage = [](const QString& lang) { L10n::setCurrentLanguage(lang); };
        e.helperReady = [this] { return helperInstalled; };
        e.installHelper = [this](const QString&) -> std::optional<QString> {
            ++installs;
            if (installError)
                return installError;
            helperInstalled = true;
            return std::nullopt;
        };
        model = std::make_unique<OnboardingGateModel>(dispatch, preferences, e);
    }
    ~GateRig() { L10n::setCurrentLanguage(QStringLiteral("en")); }

    void show()
    {
        gate = std::make_unique<VantrelOnboardingGate>(*model, new VantrelRootView(context()));
        gate->resize(1100, 720);
        gate->show();
        dispatch.runUntilIdle();
    }
};

TEST(OnboardingGate, FirstStartChoosesALanguageThenInstallsAndWaitsForAccessibility)
{
    GateRig rig;
    rig.show();
    ASSERT_EQ(rig.gate->currentPage(), rig.gate->languagePage());

    // Picking Korean shows the step in Korean at once; continue stores the step as done.
    rig.gate->languagePage()->choose(QStringLiteral("ko"));
    EXPECT_EQ(L10n::currentLanguage(), QStringLiteral("ko"));
    EXPECT_EQ(rig.gate->languagePage()->continueButton()->text(), L10n::tr("onboarding.language.continue", "ko"));
    QTest::mouseClick(rig.gate->languagePage()->continueButton(), Qt::LeftButton);
    EXPECT_TRUE(rig.preferences.boolValue(OnboardingGateModel::languageCompletedKey));
    EXPECT_EQ(rig.gate->currentPage(), rig.gate->permissionsPage());

    OnboardingPermissionsPage* page = rig.gate->permissionsPage();
    EXPECT_EQ(page->helperStatus()->token(), DSToken::orange);
    QTest::mouseClick(page->installButton(), Qt::LeftButton);
    EXPECT_FALSE(page->installButton()->isEnabled());
    EXPECT_EQ(page->installOutcome()->text(), L10n::tr("onboarding.battery_helper.installing", "ko"));
    QTest::mouseClick(page->installButton(), Qt::LeftButton);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.installs, 1);
    EXPECT_EQ(page->helperStatus()->token(), DSToken::green);
    EXPECT_EQ(page->helperStatus()->text(), L10n::tr("onboarding.battery_helper.status_ready", "ko"));

    // Finishing without accessibility stays here, and the start button does not look like the
    // way on until both steps are done.
    QTest::mouseClick(page->finishButton(), Qt::LeftButton);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.gate->currentPage(), page);
    EXPECT_NE(page->finishButton()->property("role").toString(), "primary");

    // Allowed in the system settings after the button: the gate moves on by itself.
    QTest::mouseClick(page->accessibilityButton(), Qt::LeftButton);
    EXPECT_EQ(page->accessibilityButton()->text(), L10n::tr("onboarding.accessibility.open_settings", "ko"));
    rig.dispatch.advanceSeconds(10);
    EXPECT_EQ(rig.gate->currentPage(), page);
    rig.trusted = true;
    rig.dispatch.advanceSeconds(20);
    EXPECT_EQ(rig.gate->currentPage(), rig.gate->content());
    EXPECT_EQ(page->finishButton()->property("role").toString(), "primary");
}

TEST(OnboardingGate, ReturningUsersAndLostReadiness)
{
    GateRig rig;
    rig.preferences.setValue(OnboardingGateModel::languageCompletedKey, true);
    rig.trusted = true;
    rig.helperInstalled = true;
    rig.show();
    EXPECT_EQ(rig.gate->currentPage(), rig.gate->content());

    // The helper's permission file is gone when the window comes back: the permissions step.
    rig.helperInstalled = false;
    rig.gate->hide();
    rig.gate->show();
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.gate->currentPage(), rig.gate->permissionsPage());

    // A failed install says why in red and keeps the button usable.
    rig.installError = QStringLiteral("osascript: User canceled. (-128)");
    QTest::mouseClick(rig.gate->permissionsPage()->installButton(), Qt::LeftButton);
    rig.dispatch.runUntilIdle();
    OnboardingPermissionsPage* page = rig.gate->permissionsPage();
    EXPECT_EQ(page->helperStatus()->token(), DSToken::red);
    EXPECT_TRUE(page->installOutcome()->text().endsWith(QStringLiteral("osascript: User canceled. (-128)")));
    EXPECT_TRUE(page->installButton()->isEnabled());

    // The steps fit the smallest main window.
    EXPECT_LE(rig.gate->languagePage()->minimumSizeHint().height(), 600);
    EXPECT_LE(rig.gate->minimumSizeHint().width(), 900);
}

} // namespace
