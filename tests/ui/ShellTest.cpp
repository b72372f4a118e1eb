// The window shell offscreen: sidebar composition, routing by identifier with the
// dashboard as fallback, the dashboard's navigation, placeholders, language changes, quit.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "UiTestRig.h"
#include "l10n/L10n.h"
#include "sensors/HardwareCapabilityStore.h"
#include "ui/dashboard/DashboardPage.h"
#include "ui/dashboard/SummaryCard.h"
#include "ui/power/PowerPage.h"
#include "ui/shell/MainSplitView.h"
#include "ui/shell/PlaceholderPage.h"
#include "ui/shell/SidebarRow.h"
#include "ui/shell/UiStateBinding.h"
#include "ui/shell/VantrelRootView.h"
#include "ui/shell/VantrelSidebar.h"

using namespace vantrel;

namespace {

class LanguageGuard {
public:
    ~LanguageGuard() { L10n::setCurrentLanguage(QStringLiteral("en")); }
};

QStringList rowPages(const VantrelSidebar& sidebar)
{
    QStringList out;
    for (const auto& g : sidebar.groups())
        for (const auto& i : g.items)
            out << i.pageId;
    return out;
}

} // namespace

TEST(Shell, SidebarFollowsTheFanCapabilityAndRoutesClicks)
{
    test::UiTestRig rig;
    VantrelRootView root(rig.context());
    root.resize(1100, 720);
    root.show();
    MainSplitView* split = root.splitView();
    VantrelSidebar* sidebar = split->sidebar();

    EXPECT_EQ(split->selectedPage(), "dashboard");
    EXPECT_NE(qobject_cast<DashboardPage*>(split->currentPage()), nullptr);
    EXPECT_EQ(rowPages(*sidebar), QStringList({"dashboard", "power", "sleep", "convenience"}));
    EXPECT_EQ(sidebar->row("fancurve"), nullptr);

    rig.state.setSupportsSafeFanControl(true);
    EXPECT_EQ(rowPages(*sidebar), QStringList({"dashboard", "fancurve", "power", "sleep", "convenience"}));
    ASSERT_NE(sidebar->row("fancurve"), nullptr);

    QTest::mouseClick(sidebar->row("power"), Qt::LeftButton);
    EXPECT_EQ(split->selectedPage(), "power");
    EXPECT_NE(qobject_cast<PowerPage*>(split->currentPage()), nullptr);
    EXPECT_TRUE(sidebar->row("power")->isSelected());
    EXPECT_FALSE(sidebar->row("dashboard")->isSelected());

    // Without the model's sleep controls (as here) the sleep page is a placeholder.
    QTest::mouseClick(sidebar->row("sleep"), Qt::LeftButton);
    auto* placeholder = qobject_cast<PlaceholderPage*>(split->currentPage());
    ASSERT_NE(placeholder, nullptr) << "pages that cannot be built show the placeholder";
    EXPECT_EQ(placeholder->titleText(), sidebar->row("sleep")->text());
    EXPECT_EQ(placeholder->messageText(), L10n::tr("page.coming", "en"));

    QTest::mouseClick(sidebar->row("settings"), Qt::LeftButton);
    EXPECT_EQ(split->selectedPage(), "settings");

    split->setSelectedPage("no-such-page");
    EXPECT_EQ(split->selectedPage(), "dashboard");
    EXPECT_TRUE(sidebar->row("dashboard")->isSelected());

    QTest::mouseClick(sidebar->quitRow(), Qt::LeftButton);
    EXPECT_EQ(rig.quitCalls, 1);
}

TEST(Shell, BuildingTheRootViewRefreshesTheCapabilityStore)
{
    test::UiTestRig rig;
    rig.transport->replyOk("get_hardware_profile",
                           {{"model_identifier", "Mac15,6"}, {"fan_count", 2}, {"supports_safe_fan_control", true}});
    HardwareCapabilityStore store(std::make_shared<DaemonClient>(rig.transport), rig.dispatch);
    bindCapabilities(rig.state, store);
    UiContext context = rig.context();
    context.capabilities = &store;

    VantrelRootView root(context);
    rig.dispatch.runUntilIdle();
    EXPECT_EQ(rig.transport->requestsFor("get_hardware_profile").size(), 1u);
    EXPECT_TRUE(store.isLoaded());
    EXPECT_EQ(store.profile().modelIdentifier, "Mac15,6");
    EXPECT_EQ(rowPages(*root.splitView()->sidebar()),
              QStringList({"dashboard", "fancurve", "power", "sleep", "convenience"}))
        << "the sidebar follows the refreshed profile";
}

TEST(Shell, DashboardCardsNavigateAndRegisteredPagesReplacePlaceholders)
{
    test::UiTestRig rig;
    QWidget* builtFan = nullptr;
    std::map<QString, PageFactory> extra{{"fancurve", [&](const UiContext&, const PageNavigator&, QWidget* parent) {
                                              builtFan = new QLabel("fan page", parent);
                                              return builtFan;
                                          }}};
    VantrelRootView root(rig.context(), extra);
    root.show();
    auto* dashboard = qobject_cast<DashboardPage*>(root.splitView()->currentPage());
    ASSERT_NE(dashboard, nullptr);

    QTest::mouseClick(dashboard->fanCard(), Qt::LeftButton);
    EXPECT_EQ(root.splitView()->selectedPage(), "fancurve");
    EXPECT_EQ(root.splitView()->currentPage(), builtFan);

    root.splitView()->setSelectedPage("dashboard");
    QTest::mouseClick(dashboard->batteryCard(), Qt::LeftButton);
    EXPECT_EQ(root.splitView()->selectedPage(), "power");
}

TEST(Shell, TitlesAreRebuiltWhenTheLanguageChanges)
{
    LanguageGuard guard;
    test::UiTestRig rig;
    VantrelRootView root(rig.context());
    root.show();
    root.splitView()->setSelectedPage("sleep");
    auto* placeholder = qobject_cast<PlaceholderPage*>(root.splitView()->currentPage());
    ASSERT_NE(placeholder, nullptr);

    L10n::setCurrentLanguage("ko");
    VantrelSidebar* sidebar = root.splitView()->sidebar();
    EXPECT_EQ(sidebar->row("dashboard")->text(), "대시보드");
    EXPECT_EQ(sidebar->row("settings")->text(), "설정");
    EXPECT_EQ(sidebar->groups()[1].title, "하드웨어 제어");
    EXPECT_TRUE(sidebar->row("sleep")->isSelected()) << "the selection survives the rebuild";
    EXPECT_EQ(placeholder->titleText(), "시스템 통제");
    EXPECT_EQ(placeholder->messageText(), L10n::tr("page.coming", "ko"));
}
