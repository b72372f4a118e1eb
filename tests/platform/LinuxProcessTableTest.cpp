#include "platform/linux/LinuxProcessTable.h"

#include <algorithm>

#include <unistd.h>

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace vantrel {
namespace {

QByteArray status(const char* name, int threads)
{
    return QByteArray("Name:\t") + name
        + "\nUmask:\t0022\nState:\tS (sleeping)\nTgid:\t1\nVmRSS:\t  1234 kB\nThreads:\t" + QByteArray::number(threads)
        + "\nSigQ:\t0/63704\n";
}

TEST(LinuxProcessTable, ListsNumericFoldersWithNamesAndThreadCounts)
{
    test::TempDir dir;
    dir.write(QStringLiteral("proc/1/comm"), "systemd\n");
    dir.write(QStringLiteral("proc/1/status"), status("systemd", 1));
    dir.write(QStringLiteral("proc/420/comm"), "ollama\n");
    dir.write(QStringLiteral("proc/420/status"), status("ollama", 17));
    dir.write(QStringLiteral("proc/77/comm"), "zombie\n"); // no status: cannot be inspected
    dir.write(QStringLiteral("proc/self/comm"), "x\n");
    dir.write(QStringLiteral("proc/sys/kernel/x"), "");
    dir.write(QStringLiteral("proc/99999999999/comm"), "overflow\n");
    dir.write(QStringLiteral("proc/meminfo"), "MemTotal: 1 kB\n");
    const LinuxProcessTable table(dir.file(QStringLiteral("proc")));

    auto pids = table.processIDs(4096);
    std::sort(pids.begin(), pids.end());
    EXPECT_EQ(pids, (std::vector<int>{1, 77, 420}));
    EXPECT_EQ(table.processIDs(2).size(), 2u);
    EXPECT_EQ(table.threadCount(420), 17);
    EXPECT_FALSE(table.threadCount(77));
    EXPECT_FALSE(table.threadCount(5));

    auto entries = table.list();
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.pid < b.pid; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].name, QStringLiteral("ollama"));
    EXPECT_EQ(entries[2].threadCount, 17);
    EXPECT_EQ(entries[1].threadCount, 0);

    EXPECT_TRUE(LinuxProcessTable(dir.file(QStringLiteral("missing"))).processIDs(10).empty());
}

TEST(LinuxProcessTable, StatusParsingToleratesOddFiles)
{
    EXPECT_EQ(LinuxProcessTable::parseThreadsLine("Threads:\t3\n"), 3);
    EXPECT_FALSE(LinuxProcessTable::parseThreadsLine("Name:\tx\n"));
    EXPECT_FALSE(LinuxProcessTable::parseThreadsLine("Threads:\tmany\n"));
    EXPECT_FALSE(LinuxProcessTable::parseThreadsLine("Threads:\t-4\n"));
    EXPECT_FALSE(LinuxProcessTable::parseThreadsLine(""));

    // A long Groups line pushes "Threads:" past the first read; it is still found.
    test::TempDir dir;
    QByteArray longStatus = "Name:\tbig\nGroups:\t" + QByteArray(9000, '1') + "\nThreads:\t9\n";
    dir.write(QStringLiteral("proc/5/status"), longStatus);
    EXPECT_EQ(LinuxProcessTable(dir.file(QStringLiteral("proc"))).threadCount(5), 9);
}

TEST(LinuxProcessTable, SeesThisProcessOnTheRealMachine)
{
    const LinuxProcessTable table;
    const auto pids = table.processIDs(1 << 20);
    EXPECT_NE(std::find(pids.begin(), pids.end(), static_cast<int>(::getpid())), pids.end());
    const auto threads = table.threadCount(static_cast<int>(::getpid()));
    ASSERT_TRUE(threads);
    EXPECT_GE(*threads, 1);
}

} // namespace
} // namespace vantrel
