#include "platform/linux/LinuxProcessRunner.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(LinuxProcessRunner, CollectsOutputAndExitStatusAndDiscardsErrors)
{
    LinuxProcessRunner runner;
    const ProcessResult ok = runner.run(
        QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("printf 'a\\nb'; echo oops >&2; exit 3")});
    EXPECT_TRUE(ok.launched);
    EXPECT_EQ(ok.exitStatus, 3);
    EXPECT_EQ(ok.standardOutput, "a\nb");

    EXPECT_FALSE(runner.run(QStringLiteral("/nonexistent/tool"), {}).launched);
    const ProcessResult killed
        = runner.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("kill -9 $$")});
    EXPECT_TRUE(killed.launched);
    EXPECT_NE(killed.exitStatus, 0);
}

TEST(LinuxProcessRunner, StopsRunawayAndHungTools)
{
    LinuxProcessRunner smallOutput(std::chrono::seconds(10), 1024);
    EXPECT_FALSE(smallOutput.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("yes")}).launched);

    // A tool that never ends is killed at the time limit; the limit here is short on purpose.
    LinuxProcessRunner shortLimit(std::chrono::milliseconds(150));
    EXPECT_FALSE(
        shortLimit.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec sleep 30")}).launched);
    // Closing its output does not let a tool run past the limit either.
    EXPECT_FALSE(
        shortLimit.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec >&-; exec sleep 30")})
            .launched);
    // A tool that closes its output and then ends in time still counts.
    const ProcessResult closed = shortLimit.run(QStringLiteral("/bin/sh"),
                                                {QStringLiteral("-c"), QStringLiteral("echo hi; exec >&-; exit 4")});
    EXPECT_TRUE(closed.launched);
    EXPECT_EQ(closed.exitStatus, 4);
    EXPECT_EQ(closed.standardOutput, "hi\n");
}

} // namespace
} // namespace vantrel
