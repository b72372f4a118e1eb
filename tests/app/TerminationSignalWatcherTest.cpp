#include "app/TerminationSignalWatcher.h"

#include <csignal>
#include <vector>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

namespace vantrel {
namespace {

bool handlerIsDefault(int signalNumber)
{
    struct sigaction current { };
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

TEST(TerminationSignalWatcher, DeliversEachSignalInTheEventLoopAndRestoresTheHandlersAfterwards)
{
    ASSERT_TRUE(handlerIsDefault(SIGHUP));
    {
        TerminationSignalWatcher watcher;
        ASSERT_TRUE(watcher.isActive());
        EXPECT_FALSE(handlerIsDefault(SIGTERM));
        std::vector<int> received;
        QObject::connect(&watcher, &TerminationSignalWatcher::received,
                         [&](int signalNumber) { received.push_back(signalNumber); });
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            received.clear();
            ASSERT_EQ(::raise(signalNumber), 0);
            EXPECT_TRUE(received.empty()) << "nothing happens inside the handler itself";
            // The notifier reports the byte on the next turns of the event loop.
            QDeadlineTimer deadline(5000);
            while (received.empty() && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
            EXPECT_EQ(received, std::vector<int>{signalNumber})
                << TerminationSignalWatcher::signalName(signalNumber).toStdString();
        }

        TerminationSignalWatcher second;
        EXPECT_FALSE(second.isActive()) << "one watcher per process";
    }
    EXPECT_TRUE(handlerIsDefault(SIGTERM));
    EXPECT_TRUE(handlerIsDefault(SIGINT));
    EXPECT_TRUE(handlerIsDefault(SIGHUP));
    EXPECT_EQ(TerminationSignalWatcher::signalName(SIGHUP), QStringLiteral("SIGHUP"));
    EXPECT_EQ(TerminationSignalWatcher::signalName(SIGUSR1), QStringLiteral("signal %1").arg(SIGUSR1));
}

} // namespace
} // namespace vantrel
