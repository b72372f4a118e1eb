// Sidebar composition for machines with and without safe fan control, and page routing.
#include <gtest/gtest.h>

#include "l10n/L10n.h"
#include "ui/shell/SidebarLayout.h"

using namespace vantrel;

namespace {

QStringList pages(const SidebarGroup& g)
{
    QStringList out;
    for (const auto& i : g.items)
        out << i.pageId;
    return out;
}

} // namespace

TEST(SidebarLayout, GroupsInOrderWithAndWithoutFanControl)
{
    auto groups = SidebarLayout::groups("en", true, true);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].title, "");
    EXPECT_EQ(pages(groups[0]), QStringList({"dashboard"}));
    EXPECT_EQ(groups[1].title, "Hardware Control");
    EXPECT_EQ(pages(groups[1]), QStringList({"fancurve", "power", "sleep"}));
    EXPECT_EQ(groups[2].title, "OS Tuning");
    EXPECT_EQ(pages(groups[2]), QStringList({"convenience"}));
    EXPECT_EQ(groups[1].items[0].title, "Fan Curve");
    EXPECT_EQ(groups[1].items[0].symbol, "wind");
    EXPECT_EQ(groups[0].items[0].symbol, "gauge.with.dots.needle.33percent");

    groups = SidebarLayout::groups("en", false, false);
    ASSERT_EQ(groups.size(), 2u) << "no OS tuning group when convenience is not shown";
    EXPECT_EQ(pages(groups[1]), QStringList({"power", "sleep"})) << "no fan item without safe fan control";

    // Identities are fresh for every build, so views never mistake a rebuilt row for an old one.
    EXPECT_NE(SidebarLayout::groups("en", true, true)[0].id, SidebarLayout::groups("en", true, true)[0].id);
}

TEST(SidebarLayout, TitlesFollowTheLanguageAndButtons)
{
    const auto ko = SidebarLayout::groups("ko", true, true);
    EXPECT_EQ(ko[0].items[0].title, "대시보드");
    EXPECT_EQ(ko[1].title, "하드웨어 제어");
    EXPECT_EQ(ko[1].items[1].title, "전력 · 배터리");
    EXPECT_EQ(SidebarLayout::settingsButton("ko").title, "설정");
    EXPECT_EQ(SidebarLayout::settingsButton("en").pageId, "settings");
    EXPECT_EQ(SidebarLayout::quitButton("en").symbol, "power");
    EXPECT_EQ(SidebarLayout::quitButton("en").pageId, "") << "quitting is not a page";
}

TEST(SidebarLayout, AGroupNeverListsAPageTwice)
{
    SidebarGroup g;
    g.add(SidebarLayout::item("power", "en"));
    g.add(SidebarLayout::item("power", "en"));
    g.add(SidebarLayout::item("sleep", "en"));
    EXPECT_EQ(pages(g), QStringList({"power", "sleep"}));
}

TEST(SidebarLayout, UnknownIdentifiersRouteToTheDashboard)
{
    for (const QString& id : SidebarLayout::pageIdentifiers())
        EXPECT_EQ(SidebarLayout::routedPage(id), id);
    EXPECT_EQ(SidebarLayout::routedPage("fans"), "dashboard");
    EXPECT_EQ(SidebarLayout::routedPage(""), "dashboard");
    EXPECT_EQ(SidebarLayout::routedPage("Dashboard"), "dashboard");
    EXPECT_EQ(SidebarLayout::item("nonsense", "en").pageId, "dashboard");
}
