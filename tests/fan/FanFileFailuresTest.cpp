// The preset file and the fan-behaviour log on a full disk and a read-only folder: the file
// on disk stays as it was, the log says so, and a preset the user saved shows the failure.
#include <gtest/gtest.h>

#include "FanPageParts.h"
#include "base/AtomicFile.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "fan/FanPageModel.h"
#include "fan/FanPresetStore.h"
#include "fan/MacOSFanCurveLog.h"
#include "l10n/L10n.h"
#include "support/FakeDaemonTransport.h"
#include "support/LogCapture.h"
#include "support/TinyFileSystem.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct FullDiskPage : ::testing::Test, FanPageParts<TinyFileSystem> {
    TinyFileSystem& disk = folder;
    std::unique_ptr<FanPageModel> page;

    void SetUp() override
    {
        if (!disk.available())
            GTEST_SKIP() << "mounting a small file system needs root";
        page = std::make_unique<FanPageModel>(state, store, applier);
    }
    void saveAs(const QString& name)
    {
        page->setCustomPresetName(name);
        page->saveDraftAsNewPreset();
    }
};

} // namespace

TEST_F(FullDiskPage, AFailedPresetSaveKeepsTheFileAndShowsTheFailure)
{
    saveAs("Quiet desk");
    ASSERT_EQ(customNames(), QStringList{"Quiet desk"});
    ASSERT_EQ(page->applyStatus().tone, StatusTone::Success);
    const QByteArray before = *readFile(store.presetsURL());

    for (const WriteFault fault : kWriteFaults) {
        SCOPED_TRACE(describe(fault));
        ASSERT_TRUE(disk.impose(fault));
        LogCapture log;
        saveAs("Render farm");
        EXPECT_EQ(*readFile(store.presetsURL()), before) << "the saved presets are untouched";
        EXPECT_EQ(customNames(), QStringList{"Quiet desk"});
        EXPECT_EQ(page->applyStatus().tone, StatusTone::Failure) << "the screen says the save failed";
        EXPECT_EQ(page->applyStatus().keys, QStringList{L10n::key("fan.preset.save_failed")});
        EXPECT_FALSE(L10n::tr("fan.preset.save_failed").startsWith("fan.")) << "the text exists";
        EXPECT_TRUE(log.contains("FanPresetStore: save failed: "));
        EXPECT_TRUE(log.contains("kept as it was"));
        EXPECT_FALSE(QFile::exists(store.presetsURL() + ".tmp")) << "no temporary file left behind";

        // Deleting fails the same way and keeps the preset.
        page->setCustomPresetName("Quiet desk");
        page->deleteSelectedPreset();
        EXPECT_EQ(customNames(), QStringList{"Quiet desk"});
        EXPECT_EQ(page->applyStatus().tone, StatusTone::Failure);
    }
    ASSERT_TRUE(disk.setReadOnly(false));
    disk.unfill();
    saveAs("Render farm");
    EXPECT_EQ(customNames(), (QStringList{"Quiet desk", "Render farm"})) << "saving works again with room";
    EXPECT_EQ(page->applyStatus().tone, StatusTone::Success);
}

TEST(FanFileFailures, TheFanBehaviourLogKeepsItsFileWhenARewriteFails)
{
    TinyFileSystem disk;
    if (!disk.available())
        GTEST_SKIP() << "mounting a small file system needs root";
    VirtualDispatch dispatch;
    MacOSFanCurveLog log(Paths::underRoot(disk.path()), dispatch);
    const QDateTime base(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    const auto point = [&](int minute, double temperature) {
        return ObservedMacOSFanPoint{base.addSecs(minute * 60), temperature, 30, 1800, 6000, std::nullopt};
    };
    log.appendAndLoadRecent(point(0, 50));
    dispatch.runUntilIdle();
    const auto before = readFile(log.fileURL());
    ASSERT_TRUE(before && before->contains("\"temperature\":50"));

    disk.fill();
    LogCapture lines;
    for (int minute = 1; minute <= 3; ++minute) {
        log.appendAndLoadRecent(point(minute * 10, 50 + minute * 5));
        dispatch.runUntilIdle();
    }
    EXPECT_EQ(readFile(log.fileURL()), before);
    EXPECT_EQ(lines.count("MacOSFanCurveLog: could not rewrite"), 1) << "said once, not on every sample";
    EXPECT_TRUE(lines.contains("the previous file was kept"));

    disk.unfill();
    log.appendAndLoadRecent(point(60, 80));
    dispatch.runUntilIdle();
    EXPECT_TRUE(readFile(log.fileURL())->contains("\"temperature\":80"));
    EXPECT_TRUE(lines.contains("written again"));
}
