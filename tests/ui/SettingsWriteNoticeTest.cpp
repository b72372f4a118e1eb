// The window's notice for a settings file that cannot be written: a choice made on a page
// while the disk is full or read-only shows one notice with the reason, the choice stays in
// effect, the file keeps its last good version, and the notice goes once a write works.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QToolButton>

#include "UiTestRig.h"
#include "base/AtomicFile.h"
#include "l10n/L10n.h"
#include "support/TinyFileSystem.h"
#include "ui/settings/SettingsPage.h"
#include "ui/shell/MainSplitView.h"
#include "ui/shell/SettingsWriteNotice.h"
#include "ui/shell/VantrelRootView.h"
#include "ui/style/ThemeController.h"
#include "ui/widgets/SegmentedControl.h"

using namespace vantrel;

namespace {

// Picks a theme the way a user does; the settings file is written when the event loop comes round.
void clickTheme(SettingsPage& page, int index)
{
    SegmentedControl* control = page.themeControl();
    QTest::mouseClick(control, Qt::LeftButton, {}, control->segmentRect(index).center());
    QCoreApplication::sendPostedEvents();
}

} // namespace

TEST(SettingsWriteNotice, AChoiceThatCannotBeSavedIsShownOnceWithItsReasonUntilAWriteWorks)
{
    test::TinyFileSystem disk;
    if (!disk.available())
        GTEST_SKIP() << "mounting a small file system needs root";
    L10n::setCurrentLanguage("en");
    const QString conf = disk.file("config/Vantrel.conf");
    SettingsFilePreferences prefs(conf);
    prefs.setValue(ThemeController::preferenceKey, "system");
    ASSERT_TRUE(prefs.sync());

    test::UiTestRig rig;
    UiContext context = rig.context();
    context.preferences = &prefs;
    VantrelRootView root(context);
    root.resize(900, 600);
    root.show();
    MainSplitView* split = root.splitView();
    SettingsWriteNotice* notice = split->writeNotice();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isHidden()) << "nothing to say while writes work";
    split->setSelectedPage("settings");
    auto* page = qobject_cast<SettingsPage*>(split->currentPage());
    ASSERT_NE(page, nullptr);

    struct Round {
        test::WriteFault fault;
        const char* reasonKey;
    };
    for (const Round round : {Round{test::WriteFault::full, "settings.write_failed.disk_full"},
                              Round{test::WriteFault::readOnly, "settings.write_failed.no_permission"}}) {
        SCOPED_TRACE(round.reasonKey);
        const QByteArray before = *readFile(conf);
        ASSERT_TRUE(disk.impose(round.fault));
        int shown = 0;
        const auto counter = QObject::connect(&prefs.writeState(), &SettingsWriteState::changed, [&shown] { ++shown; });

        clickTheme(*page, 2);
        EXPECT_FALSE(notice->isHidden());
        EXPECT_EQ(notice->title(), "Your settings could not be saved");
        EXPECT_EQ(notice->message(), L10n::tr(round.reasonKey, "en"));
        EXPECT_TRUE(
            notice->message().contains(round.fault == test::WriteFault::readOnly ? "no permission" : "disk is full"));
        EXPECT_EQ(root.theme().appTheme(), "dark") << "the choice is in effect for this run";
        EXPECT_EQ(*readFile(conf), before) << "the file keeps its last good version";

        // More choices while the condition lasts: the same one notice, in whichever page is shown.
        clickTheme(*page, 1);
        split->setSelectedPage("power");
        EXPECT_EQ(shown, 1);
        EXPECT_FALSE(notice->isHidden());
        EXPECT_EQ(*readFile(conf), before);

        // In the user's language.
        L10n::setCurrentLanguage("de");
        EXPECT_EQ(notice->title(), L10n::tr("settings.write_failed", "de"));
        EXPECT_EQ(notice->message(), L10n::tr(round.reasonKey, "de"));
        L10n::setCurrentLanguage("en");

        ASSERT_TRUE(disk.lift(round.fault));
        split->setSelectedPage("settings");
        clickTheme(*page, 0);
        EXPECT_TRUE(notice->isHidden()) << "gone once a later write works";
        EXPECT_EQ(shown, 2);
        EXPECT_EQ(SettingsFilePreferences(conf).stringValue(ThemeController::preferenceKey), "system");
        QObject::disconnect(counter);
    }
}

TEST(SettingsWriteNotice, DismissedStaysAwayWhileTheSameFailureLastsAndReturnsForANewOne)
{
    SettingsWriteState state;
    L10n::setCurrentLanguage("en");
    QWidget window;
    auto* notice = new SettingsWriteNotice(state, &window);
    window.show();
    EXPECT_TRUE(notice->isHidden());

    state.note(WriteFailureReason::DiskFull);
    ASSERT_FALSE(notice->isHidden());
    EXPECT_EQ(notice->message(), L10n::tr("settings.write_failed.disk_full", "en"));
    auto* close = notice->findChild<QToolButton*>();
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_TRUE(notice->isHidden());
    state.note(WriteFailureReason::DiskFull);
    EXPECT_TRUE(notice->isHidden()) << "the same failure again is not a new notice";
    L10n::setCurrentLanguage("fr");
    EXPECT_TRUE(notice->isHidden()) << "a language change does not bring it back";
    L10n::setCurrentLanguage("en");

    state.note(WriteFailureReason::NoPermission);
    EXPECT_FALSE(notice->isHidden()) << "another reason is news";
    EXPECT_EQ(notice->message(), L10n::tr("settings.write_failed.no_permission", "en"));
    state.note(WriteFailureReason::None);
    EXPECT_TRUE(notice->isHidden());
    state.note(WriteFailureReason::Other);
    EXPECT_EQ(notice->message(), L10n::tr("settings.write_failed.other", "en"));
}
