#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "FanTestSupport.h"
#include "base/AtomicFile.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "fan/FanPresetStore.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct PresetStoreFixture : ::testing::Test {
    TempDir dir;
    Paths paths = dir.paths();
    MemoryPreferences prefs;
    VirtualClock clock;
    FanPresetStore store{paths, prefs, clock};

    QString file() const { return store.presetsURL(); }
    void writeFile(const QByteArray& content) const
    {
        QDir().mkpath(paths.appSupportFolder());
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QByteArray fileContent(const QString& path) const { return readFile(path).value_or(QByteArray()); }
    static QStringList names(const std::vector<FanCurveSettings>& list)
    {
        QStringList out;
        for (const auto& p : list)
            out << p.name;
        return out;
    }
    static QByteArray encoded(const std::vector<FanCurveSettings>& list)
    {
        return QJsonDocument(FanCurveSettings::toJsonArray(list)).toJson();
    }
};

const QStringList builtInNames{"curve_silent", "curve_balance", "curve_performance"};

} // namespace

TEST_F(PresetStoreFixture, FirstStartWritesTheBuiltInsAndLaterLoadsReadTheFile)
{
    EXPECT_EQ(file(), paths.appSupportFolder() + "/presets.json");
    const auto presets = store.load();
    EXPECT_EQ(names(presets), builtInNames);
    for (size_t i = 0; i < presets.size(); ++i) {
        EXPECT_TRUE(presets[i].isSystemPreset);
        EXPECT_EQ(shapeOf(presets[i].points), shapeOf(FanCurveSettings::systemPresets()[i].points));
        EXPECT_EQ(presets[i].rightPoints, presets[i].points);
    }
    const auto onDisk = FanCurveSettings::listFromJsonBytes(fileContent(file()));
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(names(*onDisk), builtInNames);
    EXPECT_EQ(store.load()[1].id, presets[1].id);
}

TEST_F(PresetStoreFixture, LoadRepairsWhatItReadsWithoutRewritingTheFile)
{
    FanCurveSettings mine = curve("Mine", {{10, 10}, {50, 50}, {90, 90}});
    FanCurveSettings old = curve("Silent", {{0, 0}, {50, 0}, {65, 18}, {82, 42}, {100, 100}});
    FanCurveSettings aggressive = curve("Aggressive", {{0, 0}, {40, 50}, {60, 80}, {70, 95}, {100, 100}});
    const QByteArray content = encoded({mine, old, aggressive});
    writeFile(content);

    const auto presets = store.load();
    EXPECT_EQ(names(presets),
              (QStringList{"Mine", "curve_silent", "curve_turbo", "curve_balance", "curve_performance"}));
    EXPECT_EQ(presets[0].id, mine.id);
    EXPECT_EQ(shapeOf(presets[0].points), balancedShape); // three points: the balanced shape
    EXPECT_FALSE(presets[0].isSystemPreset);
    EXPECT_TRUE(presets[1].isSystemPreset); // a built-in name
    EXPECT_FALSE(presets[2].isSystemPreset); // "curve_turbo" is not a built-in
    for (const auto& p : presets)
        EXPECT_EQ(p.rightPoints, p.points);
    EXPECT_EQ(fileContent(file()), content);
}

TEST_F(PresetStoreFixture, UnreadableFilesAreSetAsideAndTheBuiltInsUsed)
{
    clock.setWallTime(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC));
    for (const QByteArray& bad :
         {QByteArray("not json at all"), QByteArray(R"([{"name":"x"}])"), QByteArray(R"({"name":"x","points":[]})"),
          QByteArray(R"([{"name":1,"points":[]}])")}) {
        writeFile(bad);
        EXPECT_EQ(names(store.load()), builtInNames);
        EXPECT_FALSE(QFile::exists(file())); // nothing new is written
        const QString aside = file() + ".corrupted.2026-03-04T05-06-07Z";
        EXPECT_EQ(fileContent(aside), bad);
        QFile::remove(aside);
    }
}

TEST_F(PresetStoreFixture, OlderPreferenceCopyIsMigratedOnce)
{
    prefs.setValue("FanCurvePresets",
                   QJsonDocument(FanCurveSettings::toJsonArray(
                                     {curve("Legacy", {{0, 0}, {30, 20}, {50, 40}, {70, 60}, {100, 100}})}))
                       .toJson());
    const auto presets = store.load();
    EXPECT_EQ(names(presets), (QStringList{"Legacy", "curve_silent", "curve_balance", "curve_performance"}));
    EXPECT_EQ(shapeOf(presets[0].points), (Shape{{0, 0}, {30, 20}, {50, 40}, {70, 60}, {100, 100}}));
    EXPECT_TRUE(QFile::exists(file()));
    EXPECT_TRUE(prefs.exists("FanCurvePresets"));
    prefs.setValue("FanCurvePresets", QByteArray("[]"));
    EXPECT_EQ(names(store.load()).first(), "Legacy"); // the file now wins
}

TEST_F(PresetStoreFixture, SaveKeepsABackupAndAFailedSaveLosesNothing)
{
    store.save({curve("First", {{0, 0}, {30, 20}, {50, 40}, {70, 60}, {100, 100}})});
    const QByteArray first = fileContent(file());
    store.save({curve("Second", {{0, 0}, {30, 20}, {50, 40}, {70, 60}, {100, 100}})});
    EXPECT_EQ(fileContent(file() + ".bak"), first);
    EXPECT_FALSE(QFile::exists(file() + ".tmp"));
    const auto saved = FanCurveSettings::listFromJsonBytes(fileContent(file()));
    ASSERT_TRUE(saved);
    EXPECT_EQ(names(*saved), (QStringList{"Second", "curve_silent", "curve_balance", "curve_performance"}));
    const QByteArray second = fileContent(file());

    // A directory where the temporary file goes makes the write fail.
    QDir().mkpath(file() + ".tmp/blocker");
    LogCapture log;
    store.save({curve("Third", {})});
    EXPECT_TRUE(log.contains("FanPresetStore: save failed: "));
    EXPECT_EQ(fileContent(file()), second);
    EXPECT_EQ(fileContent(file() + ".bak"), second); // the backup of the attempt is the current file
    EXPECT_EQ(names(store.load()).first(), "Second");
}

TEST_F(PresetStoreFixture, ThousandsOfPresetsAndAbsurdNumbersStayUsable)
{
    std::vector<FanCurveSettings> many;
    for (int i = 0; i < 1000; ++i)
        many.push_back(curve(QString::number(i), {{0, 0}, {1e300, -1e300}, {-1e300, 1e300}, {50, 50}, {100, 100}}));
    writeFile(encoded(many));
    const auto presets = store.load();
    ASSERT_EQ(presets.size(), 1003u);
    for (const auto& p : presets)
        for (const auto& pt : p.points) {
            ASSERT_GE(pt.temperature, 0);
            ASSERT_LE(pt.temperature, 100);
            ASSERT_GE(pt.fanPercent, 0);
            ASSERT_LE(pt.fanPercent, 100);
        }
    // A number too large for a double is not JSON Qt can read: the file is set aside.
    writeFile(
        R"([{"name":"x","points":[{"id":"6F9619FF-8B86-D011-B42D-00CF4FC964FF","temperature":1e999,"fanPercent":1}]}])");
    EXPECT_EQ(store.load().size(), 3u);
}
