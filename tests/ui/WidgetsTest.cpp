// The shared widgets driven like a user would: slider marks and snapping, segmented choice,
// switch, history chart range, and the palette with the live theme switch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "base/Preferences.h"
#include "ui/style/DS.h"
#include "ui/style/ThemeController.h"
#include "ui/widgets/HistoryChart.h"
#include "ui/widgets/MarkedSlider.h"
#include "ui/widgets/SegmentedControl.h"
#include "ui/widgets/SwitchControl.h"
#include "ui/widgets/TokenLabel.h"

using namespace vantrel;

TEST(Widgets, MarkedSliderSnapsClampsAndFollowsTheUser)
{
    MarkedSlider slider;
    slider.resize(220, 46);
    slider.setRange(50, 100);
    slider.setStep(5);
    slider.setMarks({{60, false, {}}, {80, true, "80%"}, {100, false, "100%"}});
    QSignalSpy changed(&slider, &MarkedSlider::valueChanged);
    QSignalSpy committed(&slider, &MarkedSlider::valueCommitted);

    slider.setValue(83);
    EXPECT_EQ(slider.value(), 85);
    slider.setValue(10);
    EXPECT_EQ(slider.value(), 50);
    slider.setValue(50);
    EXPECT_EQ(changed.count(), 2) << "setting the same value again says nothing";

    // A click at the emphasised mark lands on it; the track's ends are the range's ends.
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(int(slider.positionOf(80)), 12));
    EXPECT_EQ(slider.value(), 80);
    EXPECT_EQ(committed.count(), 1);
    EXPECT_EQ(slider.valueAt(0), 50);
    EXPECT_EQ(slider.valueAt(slider.width()), 100);

    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.value(), 85);
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.value(), 100);
    EXPECT_EQ(committed.count(), 3);
    EXPECT_GT(slider.sizeHint().height(), 32) << "labelled marks need room under the track";
}

TEST(Widgets, SegmentedControlAndSwitch)
{
    SegmentedControl segments;
    segments.setSegments({"System", "Light", "Dark"});
    segments.resize(segments.sizeHint());
    QSignalSpy changed(&segments, &SegmentedControl::currentChanged);
    EXPECT_EQ(segments.currentIndex(), 0);
    QTest::mouseClick(&segments, Qt::LeftButton, {}, segments.segmentRect(2).center());
    EXPECT_EQ(segments.currentIndex(), 2);
    QTest::keyClick(&segments, Qt::Key_Right);
    EXPECT_EQ(segments.currentIndex(), 2) << "no segment beyond the last";
    QTest::keyClick(&segments, Qt::Key_Left);
    EXPECT_EQ(segments.currentIndex(), 1);
    EXPECT_EQ(changed.count(), 2);
    segments.setLabels({"Système", "Clair", "Sombre"});
    EXPECT_EQ(segments.currentIndex(), 1) << "relabelling keeps the choice";

    SwitchControl toggle;
    toggle.resize(toggle.sizeHint());
    QSignalSpy toggled(&toggle, &SwitchControl::toggled);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle.isChecked());
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_EQ(toggled.count(), 2);
}

TEST(Widgets, ElidingLabelShrinksAndShowsTheWholeTextAsTooltip)
{
    TokenLabel label(QStringLiteral("Arbeitsspeicher und Auslagerung"), DSToken::textSec, 12);
    const int natural = label.sizeHint().width();
    EXPECT_GE(label.minimumSizeHint().width(), natural) << "a plain label asks for its whole text";
    label.setElideMode(Qt::ElideRight);
    EXPECT_LT(label.minimumSizeHint().width(), natural / 2);

    label.resize(natural / 2, label.sizeHint().height());
    label.grab(); // paints, as the window would
    EXPECT_TRUE(label.shownText().endsWith(QChar(0x2026)));
    EXPECT_EQ(label.toolTip(), label.text());
    label.resize(natural + 10, label.height());
    label.grab();
    EXPECT_EQ(label.shownText(), label.text());
    EXPECT_TRUE(label.toolTip().isEmpty());
}

TEST(Widgets, HistoryChartRangeNeverCollapses)
{
    HistoryChart chart;
    chart.setMinimumSpan(10);
    chart.setSamples({50, 50, 50});
    auto [low, high] = chart.displayRange();
    EXPECT_DOUBLE_EQ(high - low, 10);
    EXPECT_LE(low, 50);
    EXPECT_GE(high, 50);
    chart.setSamples({2, 3});
    std::tie(low, high) = chart.displayRange();
    EXPECT_GE(low, 0) << "never below zero for readings that are not";
    chart.setSamples({40, 90});
    std::tie(low, high) = chart.displayRange();
    EXPECT_LT(low, 40);
    EXPECT_GT(high, 90);
}

TEST(Theme, PaletteValuesAndLiveSwitch)
{
    EXPECT_EQ(DS::dark(DSToken::blue), QColor("#0A84FF"));
    EXPECT_EQ(DS::light(DSToken::blue), QColor("#006EDB"));
    EXPECT_EQ(DS::dark(DSToken::bg), QColor("#121214"));
    EXPECT_EQ(DS::light(DSToken::card), QColor("#FFFFFF"));
    EXPECT_EQ(DS::light(DSToken::textTer), QColor("#686C73"));
    EXPECT_EQ(DS::dark(DSToken::interactiveBorder), QColor("#3E4148"));
    EXPECT_EQ(DS::light(DSToken::interactiveSurfaceSelected), QColor("#EAF4EE"));

    EXPECT_EQ(ThemeController::resolve("light", ColorScheme::dark), ColorScheme::light);
    EXPECT_EQ(ThemeController::resolve("dark", ColorScheme::light), ColorScheme::dark);
    EXPECT_EQ(ThemeController::resolve("system", ColorScheme::dark), ColorScheme::dark);
    EXPECT_EQ(ThemeController::resolve("sepia", ColorScheme::light), ColorScheme::light);

    MemoryPreferences prefs;
    ThemeController theme(prefs);
    EXPECT_EQ(theme.appTheme(), "system");
    QSignalSpy changed(&theme, &ThemeController::schemeChanged);
    theme.setAppTheme("dark");
    EXPECT_EQ(prefs.stringValue("appTheme"), "dark");
    EXPECT_TRUE(DS::isDark());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), DS::dark(DSToken::bg));
    theme.setAppTheme("light");
    EXPECT_FALSE(DS::isDark());
    EXPECT_EQ(QApplication::palette().color(QPalette::Base), DS::light(DSToken::card));
    EXPECT_EQ(changed.count(), 2);

    prefs.setValue("appTheme", "dark"); // written by another screen
    theme.apply();
    EXPECT_TRUE(DS::isDark());
    theme.applyScheme(ColorScheme::light);
}
