// File writes of the base layer on a full disk and a read-only folder: the previous file is
// kept whole, and the failure is reported (by result and in the log).
#include <QDir>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "base/Preferences.h"
#include "base/WriteFailureLog.h"
#include "support/LogCapture.h"
#include "support/TinyFileSystem.h"

using namespace vantrel;
using namespace vantrel::test;

TEST(FullDisk, AtomicWritesAndTheSettingsFileKeepTheOldVersion)
{
    TinyFileSystem disk;
    if (!disk.available())
        GTEST_SKIP() << "mounting a small file system needs root";
    const QString file = disk.file("Vantrel/state.json");
    ASSERT_TRUE(writeFileAtomically(file, "{\"version\":1}"));
    const QString conf = disk.file("config/Vantrel.conf");
    {
        SettingsFilePreferences prefs(conf);
        prefs.setValue("chargeLimit", 80);
        ASSERT_TRUE(prefs.sync());
    }
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        const QByteArray confBefore = *readFile(conf);
        if (readOnly) {
            ASSERT_TRUE(disk.setReadOnly(true));
        } else {
            disk.fill();
        }
        QString error;
        EXPECT_FALSE(writeFileAtomically(file, QByteArray(20000, 'x'), std::nullopt, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(*readFile(file), "{\"version\":1}");

        LogCapture log;
        SettingsFilePreferences prefs(conf);
        prefs.setValue("chargeLimit", 60);
        prefs.setValue("padding", QString(20000, QLatin1Char('p')));
        EXPECT_FALSE(prefs.sync());
        EXPECT_FALSE(prefs.sync());
        EXPECT_EQ(prefs.intValue("chargeLimit"), 60) << "the change holds in memory";
        EXPECT_EQ(*readFile(conf), confBefore) << "the file on disk is the last good one";
        EXPECT_EQ(log.count("Preferences: could not write"), 1) << "logged once per run of failures";
        EXPECT_TRUE(log.contains("kept as they were"));
        if (readOnly) {
            ASSERT_TRUE(disk.setReadOnly(false));
        }
        disk.unfill();
        EXPECT_TRUE(prefs.sync()) << "room again: the pending change is written";
        EXPECT_TRUE(log.contains("works again"));
        EXPECT_EQ(SettingsFilePreferences(conf).intValue("chargeLimit"), 60);
        // Put the old file back for the next round.
        SettingsFilePreferences(conf).setValue("chargeLimit", 80);
    }
    // Only the files this test wrote are left (no temporary files beside them).
    EXPECT_EQ(QDir(disk.file("Vantrel")).entryList(QDir::Files | QDir::Hidden), QStringList{"state.json"});
    EXPECT_EQ(QDir(disk.file("config")).entryList(QDir::Files | QDir::Hidden), QStringList{"Vantrel.conf"});
}

TEST(WriteFailureLog, SaysOnceWhenWritingStartsFailingAndOnceWhenItWorksAgain)
{
    LogCapture log;
    WriteFailureLog failures("BatteryTelemetryLog");
    EXPECT_TRUE(failures.note(true, "/x/log.jsonl"));
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_FALSE(failures.note(false, "/x/log.jsonl", "No space left on device"));
    EXPECT_FALSE(failures.note(false, "/x/log.jsonl", "No space left on device"));
    EXPECT_TRUE(failures.failing());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_EQ(log.lines().first(),
              "BatteryTelemetryLog: could not rewrite /x/log.jsonl (No space left on device); "
              "the previous file was kept");
    failures.note(true, "/x/log.jsonl");
    failures.note(true, "/x/log.jsonl");
    EXPECT_EQ(log.lines().size(), 2);
    EXPECT_EQ(log.lines().last(), "BatteryTelemetryLog: /x/log.jsonl written again");
    EXPECT_FALSE(failures.failing());
}
