#pragma once
// Locking the user's session at once (the lock screen comes up; nothing is logged out).
// May be called from any thread; blocks while the platform is asked.
#include <QString>

namespace vantrel {

struct ScreenLockResult {
    enum class Status {
        Requested,
        // The facility that locks the session cannot be reached; error says why ("" when unknown).
        ServiceUnavailable,
        // It is reachable but offers no lock call.
        LockCallMissing
    };
    Status status = Status::ServiceUnavailable;
    QString error;
};

class ScreenLock {
public:
    virtual ~ScreenLock() = default;
    virtual ScreenLockResult lockScreen() = 0;
};

} // namespace vantrel
