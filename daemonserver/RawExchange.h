#pragma once
// A plain client exchange with a daemon socket that keeps the reply's raw bytes and how they
// arrived: for the ctl command line and for tests that look at faulted replies byte by byte.
#include <vector>

#include <QByteArray>
#include <QString>

namespace vantrel::daemonserver {

struct RawReply {
    bool connected = false;
    bool timedOut = false;
    QByteArray bytes; // everything read until the daemon closed
    std::vector<QByteArray> chunks; // the reads as they came
};

// Connects, writes request in one go, reads until end of stream or timeoutMs of silence.
RawReply rawExchange(const QString& socketPath, const QByteArray& request, int timeoutMs = 5000);

} // namespace vantrel::daemonserver
