#include "platform/linux/LinuxHostStatistics.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace vantrel {
namespace {

const QByteArray kProcStat = "cpu  10132153 290696 3084719 46828483 16683 0 25195 0 175628 0\n"
                             "cpu0 1393280 32966 572056 13343292 6130 0 17875 0 23933 0\n"
                             "intr 1462898 0 0 0\n"
                             "ctxt 52838\n";

const QByteArray kMeminfo = "MemTotal:       16303428 kB\n"
                            "MemFree:         1954320 kB\n"
                            "MemAvailable:    9123840 kB\n"
                            "Buffers:          402716 kB\n"
                            "Cached:          6703660 kB\n"
                            "SwapCached:         1280 kB\n"
                            "Active(anon):    5130244 kB\n"
                            "Inactive(anon):   920188 kB\n"
                            "AnonPages:       5980160 kB\n"
                            "Shmem:            611220 kB\n"
                            "SReclaimable:     486212 kB\n"
                            "SwapTotal:       2097148 kB\n"
                            "SwapFree:        1048572 kB\n"
                            "HugePages_Total:       0\n";

TEST(LinuxHostStatistics, CpuTicksFoldInterruptsIntoSystemAndIoWaitIntoIdle)
{
    const auto ticks = LinuxHostStatistics::parseProcStat(kProcStat);
    ASSERT_TRUE(ticks);
    EXPECT_EQ(ticks->user, 10132153u);
    EXPECT_EQ(ticks->nice, 290696u);
    EXPECT_EQ(ticks->system, 3084719u + 25195u);
    EXPECT_EQ(ticks->idle, 46828483u + 16683u);

    // Counters past 2^32 are kept modulo 2^32, like the 32-bit host counters.
    const auto wrapped = LinuxHostStatistics::parseProcStat("cpu 4294967300 1 2 3\n");
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(wrapped->user, 4u);
    EXPECT_EQ(wrapped->idle, 3u);

    EXPECT_FALSE(LinuxHostStatistics::parseProcStat("cpu 1 2 3\n"));
    EXPECT_FALSE(LinuxHostStatistics::parseProcStat("cpu 1 2 x 4\n"));
    EXPECT_FALSE(LinuxHostStatistics::parseProcStat("cpu0 1 2 3 4\nintr 5\n"));
    EXPECT_FALSE(LinuxHostStatistics::parseProcStat(QByteArray(5000, '\xff')));
}

TEST(LinuxHostStatistics, MeminfoMapsOntoPageCountsThatAddUpToTotalMemory)
{
    const auto meminfo = LinuxHostStatistics::parseMeminfo(kMeminfo);
    EXPECT_EQ(meminfo.value("MemTotal"), 16303428ull * 1024);
    EXPECT_EQ(meminfo.value("HugePages_Total"), 0ull);

    const std::uint64_t page = 4096;
    const auto pages = LinuxHostStatistics::pageCountsFromMeminfo(meminfo, page);
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->free, 1954320ull * 1024 / page);
    EXPECT_EQ(pages->active, (5980160ull + 611220ull) * 1024 / page);
    EXPECT_EQ(pages->inactive, (402716ull + 6703660ull + 486212ull - 611220ull) * 1024 / page);
    EXPECT_EQ(pages->compressor, 0u);
    const std::uint64_t sum = pages->free + pages->active + pages->inactive + pages->wire + pages->compressor;
    EXPECT_NEAR(static_cast<double>(sum), 16303428.0 * 1024 / page, 4.0);

    // Without AnonPages the active and inactive anonymous lists stand in.
    QHash<QByteArray, std::uint64_t> old = meminfo;
    old.remove("AnonPages");
    EXPECT_EQ(LinuxHostStatistics::pageCountsFromMeminfo(old, page)->active,
              (5130244ull + 920188ull + 611220ull) * 1024 / page);

    // Missing essentials, a zero page size, or sums that overflow give no statistics.
    QHash<QByteArray, std::uint64_t> noTotal = meminfo;
    noTotal.remove("MemTotal");
    EXPECT_FALSE(LinuxHostStatistics::pageCountsFromMeminfo(noTotal, page));
    EXPECT_FALSE(LinuxHostStatistics::pageCountsFromMeminfo(meminfo, 0));
    QHash<QByteArray, std::uint64_t> huge = meminfo;
    huge.insert("Buffers", ~0ull);
    EXPECT_FALSE(LinuxHostStatistics::pageCountsFromMeminfo(huge, page));
    // A kB figure whose byte count overflows is dropped as unreadable.
    EXPECT_FALSE(LinuxHostStatistics::parseMeminfo("MemTotal: 18446744073709551615 kB\n").contains("MemTotal"));
}

TEST(LinuxHostStatistics, SwapComesFromTheKernelsTotals)
{
    const auto swap = LinuxHostStatistics::swapFromMeminfo(LinuxHostStatistics::parseMeminfo(kMeminfo));
    ASSERT_TRUE(swap);
    EXPECT_EQ(swap->totalBytes, 2097148ull * 1024);
    EXPECT_EQ(swap->usedBytes, (2097148ull - 1048572ull) * 1024);

    const auto noSwap
        = LinuxHostStatistics::swapFromMeminfo(LinuxHostStatistics::parseMeminfo("SwapTotal: 0 kB\nSwapFree: 0 kB\n"));
    ASSERT_TRUE(noSwap);
    EXPECT_EQ(noSwap->usedBytes, 0u);
    const auto inconsistent = LinuxHostStatistics::swapFromMeminfo(
        LinuxHostStatistics::parseMeminfo("SwapTotal: 10 kB\nSwapFree: 20 kB\n"));
    EXPECT_EQ(inconsistent->usedBytes, 0u);
    EXPECT_FALSE(LinuxHostStatistics::swapFromMeminfo(LinuxHostStatistics::parseMeminfo("MemTotal: 10 kB\n")));
}

TEST(LinuxHostStatistics, ReadsItsProcRootAndFailsCleanlyWithoutIt)
{
    test::TempDir dir;
    dir.write(QStringLiteral("proc/stat"), kProcStat);
    dir.write(QStringLiteral("proc/meminfo"), kMeminfo);
    const LinuxHostStatistics fixture(dir.file(QStringLiteral("proc")), 16384);
    EXPECT_EQ(fixture.pageSize(), 16384u);
    EXPECT_EQ(fixture.cpuLoad()->user, 10132153u);
    EXPECT_EQ(fixture.vmStatistics()->free, 1954320ull * 1024 / 16384);
    EXPECT_TRUE(fixture.swapUsage());

    const LinuxHostStatistics missing(dir.file(QStringLiteral("nowhere")));
    EXPECT_FALSE(missing.cpuLoad());
    EXPECT_FALSE(missing.vmStatistics());
    EXPECT_FALSE(missing.swapUsage());

    // This machine's own kernel answers.
    const LinuxHostStatistics real;
    EXPECT_GT(real.pageSize(), 0u);
    EXPECT_TRUE(real.cpuLoad());
    const auto pages = real.vmStatistics();
    ASSERT_TRUE(pages);
    EXPECT_GT(pages->free + pages->active + pages->inactive + pages->wire, 0u);
}

} // namespace
} // namespace vantrel
