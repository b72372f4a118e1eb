#pragma once
// Fire-and-forget text commands ("BCLM 80", "RPM 3000", "F0Md 1" …) translated into daemon
// commands on a background queue. Results are not read.
#include <functional>

#include <QString>

#include "base/Dispatch.h"

namespace vantrel {

class DaemonClient;

class TextCommandBridge {
public:
    // sleepBatteryCutoffPercent is read when a "DSLP" command is sent.
    TextCommandBridge(DaemonClient& daemon, Dispatch& dispatch, std::function<int()> sleepBatteryCutoffPercent);

    void sendToDaemon(const QString& command);
    // The daemon calls for one command, run on the calling thread (exposed for tests).
    void perform(const QStringList& words);

private:
    DaemonClient& daemon_;
    Dispatch& dispatch_;
    std::function<int()> sleepBatteryCutoffPercent_;
};

} // namespace vantrel
