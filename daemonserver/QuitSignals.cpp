#include "daemonserver/QuitSignals.h"

#include <pthread.h>
#include <thread>

#include <QCoreApplication>

namespace vantrel::daemonserver {

sigset_t blockQuitSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return signals;
}

void quitOnSignals(const sigset_t& signals)
{
    std::thread([signals] {
        int received = 0;
        if (sigwait(&signals, &received) == 0)
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    }).detach();
}

} // namespace vantrel::daemonserver
