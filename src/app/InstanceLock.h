#pragma once
// The lock that keeps a second copy of the same build from running: an exclusive,
// non-blocking advisory lock on a file in the app's folder, held until exit.
#include <QString>

namespace vantrel {

class InstanceLock {
public:
    enum class Result {
        Acquired,
        HeldElsewhere,
        Failed
    };

    // directory is made with mode 0700, the file with 0600.
    InstanceLock(QString directory, QString fileName);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock (again a no-op success while held). Failed carries its reason in error().
    Result acquire();
    void release();
    bool isHeld() const { return fd_ >= 0; }
    // The held descriptor, -1 when none.
    int fd() const { return fd_; }
    QString path() const;
    QString error() const { return error_; }

private:
    QString directory_;
    QString fileName_;
    int fd_ = -1;
    QString error_;
};

} // namespace vantrel
