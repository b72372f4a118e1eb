// File writes of the base layer on a full disk and a read-only folder: the previous file is
// kept whole, and the failure is reported (by result and in the log).
#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "base/Preferences.h"
#include "base/WriteFailureLog.h"
#include "base/WriteFailureReason.h"
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
    for (const WriteFault fault : kWriteFaults) {
        SCOPED_TRACE(describe(fault));
        const QByteArray confBefore = *readFile(conf);
        ASSERT_TRUE(disk.impose(fault));
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
        ASSERT_TRUE(disk.lift(fault));
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

// A change writes the settings file when the event loop comes round, as in the application.
TEST(FullDisk, SettingsWriteStateSaysWhyAChangeWasNotSavedUntilAWriteWorksAgain)
{
    TinyFileSystem disk;
    if (!disk.available())
        GTEST_SKIP() << "mounting a small file system needs root";
    const QString conf = disk.file("config/Vantrel.conf");
    SettingsFilePreferences prefs(conf);
    int changes = 0;
    int limitSeen = 0;
    // An observer may read the preferences when it hears (no lock is held then).
    QObject::connect(&prefs.writeState(), &SettingsWriteState::changed, [&] {
        ++changes;
        limitSeen = prefs.intValue("chargeLimit");
    });
    prefs.setValue("chargeLimit", 80);
    QCoreApplication::sendPostedEvents();
    ASSERT_FALSE(prefs.writeState().failing());
    EXPECT_EQ(changes, 0) << "writes that work say nothing";

    for (const WriteFault fault : kWriteFaults) {
        SCOPED_TRACE(describe(fault));
        const QByteArray before = *readFile(conf);
        ASSERT_TRUE(disk.impose(fault));
        LogCapture log;
        changes = 0;
        prefs.setValue("chargeLimit", 60);
        prefs.setValue("padding", QString(20000, QLatin1Char('p')));
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(prefs.writeState().reason(),
                  fault == WriteFault::readOnly ? WriteFailureReason::NoPermission : WriteFailureReason::DiskFull);
        EXPECT_TRUE(prefs.writeState().failing());
        prefs.setValue("chargeLimit", 55);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(changes, 1) << "one notice while writing keeps failing";
        EXPECT_EQ(limitSeen, 60);
        EXPECT_EQ(prefs.intValue("chargeLimit"), 55) << "the choice holds for this run";
        EXPECT_EQ(*readFile(conf), before);
        EXPECT_TRUE(log.contains(fault == WriteFault::readOnly ? "(no permission)" : "(the disk is full)"));

        ASSERT_TRUE(disk.lift(fault));
        prefs.remove("padding");
        QCoreApplication::sendPostedEvents();
        EXPECT_FALSE(prefs.writeState().failing()) << "the next change after room is made is written";
        EXPECT_EQ(prefs.writeState().reason(), WriteFailureReason::None);
        EXPECT_EQ(changes, 2);
        EXPECT_EQ(SettingsFilePreferences(conf).intValue("chargeLimit"), 55);
        EXPECT_FALSE(SettingsFilePreferences(conf).exists("padding"));
    }
}

TEST(WriteFailureReason, NamesFullDisksAndMissingPermissionFromTheErrorOrATrialWrite)
{
    EXPECT_EQ(writeFailureReasonFor(ENOSPC), WriteFailureReason::DiskFull);
    EXPECT_EQ(writeFailureReasonFor(EDQUOT), WriteFailureReason::DiskFull);
    EXPECT_EQ(writeFailureReasonFor(EACCES), WriteFailureReason::NoPermission);
    EXPECT_EQ(writeFailureReasonFor(EROFS), WriteFailureReason::NoPermission);
    EXPECT_EQ(writeFailureReasonFor(EIO), WriteFailureReason::Other);

    TinyFileSystem disk(64);
    if (!disk.available())
        GTEST_SKIP() << "mounting a small file system needs root";
    const QString file = disk.file("config/Vantrel.conf");
    ASSERT_TRUE(writeFileAtomically(file, "a=1\n"));
    EXPECT_EQ(probeWriteFailure(file, 4), WriteFailureReason::Other) << "room and permission: no reason found";
    EXPECT_EQ(probeWriteFailure(file, 200 * 1024), WriteFailureReason::DiskFull) << "larger than the disk";
    EXPECT_EQ(probeWriteFailure(disk.file("missing/folder/Vantrel.conf"), 4), WriteFailureReason::Other);
    ASSERT_TRUE(disk.setReadOnly(true));
    EXPECT_EQ(probeWriteFailure(file, 4), WriteFailureReason::NoPermission);
    EXPECT_EQ(probeWriteFailure(disk.file("missing/Vantrel.conf"), 4), WriteFailureReason::NoPermission);
    ASSERT_TRUE(disk.setReadOnly(false));
    // The trials leave nothing behind.
    EXPECT_EQ(QDir(disk.file("config")).entryList(QDir::Files | QDir::Hidden), QStringList{"Vantrel.conf"});
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"config"});
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
