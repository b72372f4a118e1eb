#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "base/JsonLines.h"
#include "base/OwnFileAppend.h"
#include "base/Paths.h"
#include "support/TempDir.h"

using namespace vantrel;

TEST(JsonLines, SkipsUnreadableLinesAndRoundTrips)
{
    test::TempDir dir;
    const QString path = dir.write("log/records.jsonl", "{\"a\":1}\n\nnot json\n[1,2]\n{\"a\":2}\n{\"a\":3}");
    auto records = jsonl::read(path);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].value("a").toInt(), 1);
    EXPECT_EQ(records[2].value("a").toInt(), 3);

    const QString out = dir.file("new/out.jsonl");
    ASSERT_TRUE(jsonl::append(out, QJsonObject{{"k", "v"}}));
    ASSERT_TRUE(jsonl::append(out, QJsonObject{{"k", "w"}}));
    auto back = jsonl::read(out);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].value("k").toString(), QStringLiteral("w"));
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().endsWith("\"}\n"));
    EXPECT_TRUE(jsonl::read(dir.file("absent.jsonl")).empty());
}

TEST(AtomicFile, ReplacesWholeFileWithPermissions)
{
    test::TempDir dir;
    const QString path = dir.file("a/b/c.json");
    ASSERT_TRUE(writeFileAtomically(path, "first"));
    ASSERT_TRUE(writeFileAtomically(path, "second", QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(readFile(path).value_or(""), QByteArray("second"));
    const auto perms = QFile::permissions(path);
    EXPECT_TRUE(perms.testFlag(QFileDevice::ReadOwner) && perms.testFlag(QFileDevice::WriteOwner));
    EXPECT_EQ(
        perms & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
        0);
    EXPECT_FALSE(readFile(path, 3));
    EXPECT_FALSE(writeFileAtomically("/proc/forbidden/x.json", "x"));
}

TEST(Paths, RootingAndOverrides)
{
    Paths rooted(QStringLiteral("/tmp/r/"), QStringLiteral("/tmp/r/home"));
    EXPECT_EQ(rooted.daemonSocket(), QStringLiteral("/tmp/r/tmp/vantrel_daemon.sock"));
    EXPECT_EQ(rooted.smcTool(), QStringLiteral("/tmp/r/usr/local/vantrel/smc"));
    EXPECT_EQ(rooted.updateStatusFile(),
              QStringLiteral("/tmp/r/Library/Application Support/Vantrel/UpdateStatus/status.json"));
    EXPECT_EQ(rooted.appSupportFolder(), QStringLiteral("/tmp/r/home/.local/share/Vantrel"));

    Paths plain({}, QStringLiteral("/home/u"), QStringLiteral("/data"), QStringLiteral("/run/x.sock"));
    EXPECT_EQ(plain.daemonSocket(), QStringLiteral("/run/x.sock"));
    EXPECT_EQ(plain.appSupportFile("presets.json"), QStringLiteral("/data/Vantrel/presets.json"));
}

TEST(OwnFileAppend, AppendsToItsOwnFileAndRefusesWhatAnotherUserPlanted)
{
    test::TempDir dir;
    const QString log = dir.file("app.log");
    ASSERT_TRUE(appendToOwnFile(log, "one\n"));
    ASSERT_TRUE(appendToOwnFile(log, "two\n"));
    EXPECT_EQ(readFile(log), QByteArray("one\ntwo\n"));
    EXPECT_EQ(QFile::permissions(log) & 0x0077, 0) << "new log files are private";

    // A link planted at the log's name is not followed: its target is left alone.
    const QString victim = dir.write("victim.txt", "precious\n");
    const QString planted = dir.file("planted.log");
    ASSERT_TRUE(QFile::link(victim, planted));
    EXPECT_FALSE(appendToOwnFile(planted, "overwrite\n"));
    EXPECT_EQ(readFile(victim), QByteArray("precious\n"));

    // A FIFO is refused at once rather than blocking until someone reads it.
    const QString fifo = dir.file("fifo.log");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(appendToOwnFile(fifo, "x\n"));

    // A file another user created first is not written to (only root can stage that here).
    if (::geteuid() == 0) {
        const QString foreign = dir.write("foreign.log", "theirs\n");
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
        EXPECT_FALSE(appendToOwnFile(foreign, "ours\n"));
        EXPECT_EQ(readFile(foreign), QByteArray("theirs\n"));
    }
    EXPECT_FALSE(appendToOwnFile(dir.file("missing-folder/x.log"), "x\n"));
}
