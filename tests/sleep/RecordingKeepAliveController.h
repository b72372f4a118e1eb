#pragma once
// A keep-alive controller that records what the sleep reconciliation asks of it, with a
// scripted lid.
#include <QStringList>

#include "sleep/KeepAliveController.h"

namespace vantrel::test {

class RecordingKeepAliveController final : public KeepAliveController {
public:
    QStringList calls; // "start(1)", "stop(true)"
    bool lidClosed = false;
    bool active = false;
    int mode = -1;
    bool displayAwake = false;
    bool lidOpenLockMonitoring = false;

    void start(int m) override
    {
        calls << QStringLiteral("start(%1)").arg(m);
        active = true;
        mode = m;
    }
    void stop(bool preserveLidOpenMonitor) override
    {
        calls << (preserveLidOpenMonitor ? QStringLiteral("stop(true)") : QStringLiteral("stop(false)"));
        active = false;
    }
    void preventDisplaySleep(bool enabled) override { displayAwake = enabled; }
    void updateLidOpenLockMonitoring(bool enabled) override { lidOpenLockMonitoring = enabled; }
    bool readClamshellClosed() override { return lidClosed; }
    bool isActive() const override { return active; }
};

} // namespace vantrel::test
