#pragma once
// Locks the session this process runs in through logind: the session comes from
// GetSessionByPID (else logind's "auto" session) and gets its Lock call, which the desktop's
// lock screen answers.
#include "platform/ScreenLock.h"

namespace vantrel {

class LinuxScreenLock final : public ScreenLock {
public:
    // systemBusAddress: "" for the machine's system bus.
    explicit LinuxScreenLock(QString systemBusAddress = {});
    ScreenLockResult lockScreen() override;

private:
    QString systemBusAddress_;
};

} // namespace vantrel
