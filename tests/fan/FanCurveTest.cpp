#include <cmath>
#include <limits>

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <gtest/gtest.h>

#include "FanTestSupport.h"
#include "fan/DaemonFanCurve.h"
#include "fan/FanCurveMath.h"
#include "fan/FanMode.h"
#include "fan/FanPresetStore.h"

using namespace vantrel;
using namespace vantrel::test;

TEST(FanCurve, InterpolationFollowsTheEdgeRules)
{
    const auto& balanced = FanCurveSettings::defaultBalanced();
    EXPECT_NEAR(calculateInterpolatedFanPercent(30, balanced), 30.0 / 45.0 * 35.0, 1e-9);
    EXPECT_DOUBLE_EQ(calculateInterpolatedFanPercent(45, balanced), 35);
    EXPECT_DOUBLE_EQ(calculateInterpolatedFanPercent(69, balanced), 66.5);
    EXPECT_DOUBLE_EQ(calculateInterpolatedFanPercent(100, balanced), 100);
    EXPECT_DOUBLE_EQ(calculateInterpolatedFanPercent(120, balanced), 100);
    EXPECT_DOUBLE_EQ(calculateInterpolatedFanPercent(-5, balanced), 0);
    EXPECT_EQ(calculateInterpolatedFanPercent(std::nan(""), balanced), 0);

    EXPECT_EQ(calculateInterpolatedFanPercent(50, curve("empty", {})), 0);
    const auto single = curve("one", {{60, 42}});
    EXPECT_EQ(calculateInterpolatedFanPercent(10, single), 42);
    EXPECT_EQ(calculateInterpolatedFanPercent(90, single), 42);

    // Out of order: evaluated as if sorted. Equal temperatures bracketing the input: the later one wins.
    const auto shuffled = curve("x", {{100, 100}, {50, 20}, {0, 0}, {75, 60}});
    EXPECT_DOUBLE_EQ(calculateInterpolatedFanPercent(62.5, shuffled), 40);
    const auto step = curve("x", {{0, 0}, {50, 10}, {50, 90}, {100, 100}});
    EXPECT_DOUBLE_EQ(calculateInterpolatedFanPercent(50, step), 10); // first pair (0..50) brackets 50 first
    const auto cliff = curve("x", {{40, 10}, {40, 80}, {100, 100}});
    EXPECT_DOUBLE_EQ(calculateInterpolatedFanPercent(40, cliff), 10); // at the first point: its percent
    const auto pair = curve("x", {{0, 0}, {60, 30}, {60, 70}});
    EXPECT_DOUBLE_EQ(calculateInterpolatedFanPercent(60, pair), 70); // at or above the last point
    // No clamping of an unnormalised curve.
    EXPECT_DOUBLE_EQ(calculateInterpolatedFanPercent(50, curve("x", {{0, -20}, {100, 180}})), 80);
}

TEST(FanCurve, PresetNormalisationBuildsTheFivePointShape)
{
    for (const auto& builtIn : FanCurveSettings::systemPresets()) {
        const auto normalised = FanPresetStore::normalizePoints(builtIn.points);
        EXPECT_EQ(shapeOf(normalised), shapeOf(builtIn.points)) << builtIn.name.toStdString();
        EXPECT_NE(normalised[2].id, builtIn.points[2].id);
    }
    // Fewer than five points, or fewer than three interior candidates: the balanced shape.
    EXPECT_EQ(shapeOf(FanPresetStore::normalizePoints(points({{10, 90}, {20, 95}, {30, 99}}))), balancedShape);
    EXPECT_EQ(
        shapeOf(FanPresetStore::normalizePoints(points({{0, 0}, {99.5, 20}, {100, 100}, {100, 100}, {100, 100}}))),
        balancedShape);
    // Pushed up 1 °C, never falling, third capped at 99 %.
    EXPECT_EQ(shapeOf(FanPresetStore::normalizePoints(points({{0, 0}, {40, 60}, {40, 50}, {96, 100}, {100, 100}}))),
              (Shape{{0, 0}, {40, 60}, {41, 60}, {96, 99}, {100, 100}}));
    // Out-of-range values clamped before sorting; four candidates keep the three coolest.
    EXPECT_EQ(shapeOf(FanPresetStore::normalizePoints(
                  points({{130, 200}, {-10, -5}, {70, 150}, {30, -20}, {50, 20}, {80, 10}}))),
              (Shape{{0, 0}, {30, 0}, {50, 20}, {70, 99}, {100, 100}}));
    // Temperature caps 97/98/99 and NaN read as 0.
    EXPECT_EQ(
        shapeOf(FanPresetStore::normalizePoints(points({{0, 0}, {90, 10}, {92, std::nan("")}, {99, 30}, {100, 100}}))),
        (Shape{{0, 0}, {90, 10}, {92, 10}, {99, 30}, {100, 100}}));
    EXPECT_EQ(
        shapeOf(FanPresetStore::normalizePoints(points({{0, 0}, {98.5, 10}, {98.7, 20}, {98.9, 30}, {100, 100}}))),
        (Shape{{0, 0}, {97, 10}, {98, 20}, {99, 30}, {100, 100}}));

    const auto fresh = FanPresetStore::normalizePoints(FanCurveSettings::defaultSilent().points);
    QSet<QUuid> ids;
    for (const auto& p : fresh)
        ids.insert(p.id);
    EXPECT_EQ(ids.size(), 5);
}

TEST(FanCurve, EditorNormalisationUsesThreeDegreeStepsAndLowerCaps)
{
    EXPECT_EQ(shapeOf(normalizedCurvePoints(points({{0, 0}, {40, 60}, {40, 50}, {96, 100}, {100, 100}}))),
              (Shape{{0, 0}, {40, 60}, {43, 60}, {96, 99}, {100, 100}}));
    EXPECT_EQ(shapeOf(normalizedCurvePoints(points({{0, 0}, {90, 10}, {92, 20}, {99, 30}, {100, 100}}))),
              (Shape{{0, 0}, {90, 10}, {93, 20}, {97, 30}, {100, 100}}));
    EXPECT_EQ(shapeOf(normalizedCurvePoints(points({{0, 0}, {95, 10}, {96, 20}, {97, 30}, {100, 100}}))),
              (Shape{{0, 0}, {91, 10}, {94, 20}, {97, 30}, {100, 100}}));
    EXPECT_EQ(shapeOf(normalizedCurvePoints(points({{1, 1}}))), balancedShape);
}

TEST(FanCurve, JsonFormDecodesOlderRecordsAndRejectsBrokenOnes)
{
    FanCurveSettings original = curve(QStringLiteral("Mine"), {{0, 0}, {50, 25.5}, {100, 100}});
    original.rightPoints = points({{0, 0}, {100, 100}});
    original.appBundleIds = {QStringLiteral("com.example.app")};
    const QJsonObject encoded = original.toJson();
    EXPECT_EQ(encoded.keys(), (QStringList{"appBundleIds", "id", "isSystemPreset", "name", "points", "rightPoints"}));
    EXPECT_EQ(FanCurveSettings::fromJsonBytes(original.toJsonBytes()), original);

    const QByteArray older
        = R"({"name":"Old","points":[{"id":"6F9619FF-8B86-D011-B42D-00CF4FC964FF","temperature":40,"fanPercent":30}]})";
    const auto decoded = FanCurveSettings::fromJsonBytes(older);
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->id.isNull());
    EXPECT_FALSE(decoded->isSystemPreset);
    EXPECT_TRUE(decoded->rightPoints.empty());
    EXPECT_TRUE(decoded->appBundleIds.isEmpty());
    EXPECT_EQ(decoded->points.at(0).id, QUuid::fromString(QStringLiteral("6F9619FF-8B86-D011-B42D-00CF4FC964FF")));

    for (
        const char* broken :
        {R"({"name":"NoPoints"})", R"({"points":[]})", R"({"name":"x","points":[{"temperature":1,"fanPercent":2}]})",
         R"({"name":"x","points":[{"id":"nope","temperature":1,"fanPercent":2}]})",
         R"({"name":"x","points":[],"isSystemPreset":"yes"})", R"({"name":"x","points":[],"appBundleIds":[1]})",
         R"({"name":"x","points":[{"id":"6F9619FF-8B86-D011-B42D-00CF4FC964FF","temperature":"hot","fanPercent":2}]})"})
        EXPECT_FALSE(FanCurveSettings::fromJsonBytes(broken)) << broken;

    FanCurveSettings copy = original;
    EXPECT_EQ(copy, original);
    EXPECT_EQ(qHash(copy), qHash(original));
    copy.id = QUuid::createUuid();
    EXPECT_NE(copy, original); // same points, other id
}

TEST(FanCurve, DaemonCurveFormConvertsOrYieldsNothing)
{
    const auto point = [](QJsonValue t, QJsonValue f) { return QJsonObject{{"temperature", t}, {"fan_percent", f}}; };
    QJsonObject settings{{"name", "curve_balance"},
                         {"points", QJsonArray{point(0, 0), point(60, 50)}},
                         {"right_points", QJsonArray{point(0, 0), QJsonObject{{"temperature", 70}}, point(100, 100)}},
                         {"id", "6F9619FF-8B86-D011-B42D-00CF4FC964FF"},
                         {"is_system_preset", true},
                         {"app_bundle_ids", QJsonArray{"com.apple.dt.Xcode"}}};
    auto converted = fanCurveFromDaemonSettings(settings);
    ASSERT_TRUE(converted);
    EXPECT_EQ(shapeOf(converted->points), (Shape{{0, 0}, {60, 50}}));
    EXPECT_EQ(shapeOf(converted->rightPoints), (Shape{{0, 0}, {100, 100}})); // the broken right point is skipped
    EXPECT_EQ(converted->id, QUuid::fromString(QStringLiteral("6F9619FF-8B86-D011-B42D-00CF4FC964FF")));
    EXPECT_TRUE(converted->isSystemPreset);
    EXPECT_EQ(converted->appBundleIds, QStringList{"com.apple.dt.Xcode"});

    settings["id"] = "not a uuid";
    EXPECT_FALSE(fanCurveFromDaemonSettings(settings)->id.isNull());

    for (auto change : std::vector<std::pair<QString, QJsonValue>>{
             {"points", QJsonArray{point(0, 0), QJsonObject{{"temperature", 5}}}},
             {"points", QJsonArray{}},
             {"points", "0,0"},
             {"name", 7}}) {
        QJsonObject broken = settings;
        broken[change.first] = change.second;
        EXPECT_FALSE(fanCurveFromDaemonSettings(broken));
    }
}

TEST(FanCurve, FanModeRawValues)
{
    EXPECT_EQ(rawValue(FanMode::Auto), "Auto (macOS)");
    EXPECT_EQ(rawValue(FanMode::Manual), "Manual Curve");
    EXPECT_EQ(daemonValue(FanMode::Manual), "manual");
    EXPECT_EQ(daemonValue(FanMode::Auto), "auto");
    EXPECT_EQ(fanModeFromRawValue("Manual Curve"), FanMode::Manual);
    EXPECT_EQ(fanModeFromRawValue("manual"), std::nullopt);
}
