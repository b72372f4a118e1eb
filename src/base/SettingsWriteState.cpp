#include "base/SettingsWriteState.h"

namespace vantrel {

WriteFailureReason SettingsWriteState::reason() const
{
    QMutexLocker lock(&mutex_);
    return reason_;
}

bool SettingsWriteState::note(WriteFailureReason reason)
{
    {
        QMutexLocker lock(&mutex_);
        if (reason_ == reason)
            return false;
        reason_ = reason;
    }
    Q_EMIT changed();
    return true;
}

} // namespace vantrel
