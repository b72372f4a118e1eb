#pragma once
// A real vantrel-sim process on a temporary socket and state folder, with a manual clock.
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include "support/TempDir.h"

namespace vantrel::test {

class SimProcess {
public:
    explicit SimProcess(const TempDir& dir, QStringList extraArguments = {});
    ~SimProcess();

    // Starts the program and waits for its banner (the socket is listening by then).
    bool start();
    // SIGTERM, then waits for the exit; returns the exit code.
    int terminate();

    QString socketPath() const { return socket_; }
    QString stateDirectory() const { return state_; }
    QProcessEnvironment environment() const;
    QJsonObject call(const QString& cmd, QJsonObject args = {}) const;
    // Runs `vantrel-sim ctl --socket … args`; returns the exit code and fills *out.
    int ctl(const QStringList& args, QByteArray* out = nullptr) const;

private:
    const TempDir& dir_;
    QString socket_;
    QString state_;
    QStringList extra_;
    QProcess process_;
};

} // namespace vantrel::test
