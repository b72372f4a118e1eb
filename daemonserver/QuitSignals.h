#pragma once
// How a daemon ends on SIGINT, SIGTERM and SIGHUP: the signals are blocked in every thread and
// taken by one thread that quits the event loop, so the daemon leaves through its normal path
// (socket file removed, fans handed back). A closed client never kills it through SIGPIPE.
#include <csignal>

namespace vantrel::daemonserver {

// Call first in main, before any thread starts; the returned set goes to quitOnSignals.
sigset_t blockQuitSignals();
// Once the QCoreApplication exists: the first of the signals quits its event loop.
void quitOnSignals(const sigset_t& signals);

} // namespace vantrel::daemonserver
