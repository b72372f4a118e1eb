#pragma once
// Whether the settings file is being written, and why not when it is not: what the window
// tells the user. changed() is emitted only when writing starts failing, works again, or
// fails for another reason, so observers hear of a run of failures once.
#include <QMutex>
#include <QObject>

#include "base/WriteFailureReason.h"

namespace vantrel {

class SettingsWriteState final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool failing READ failing NOTIFY changed)

public:
    using QObject::QObject;

    bool failing() const { return reason() != WriteFailureReason::None; }
    // None while writes work.
    WriteFailureReason reason() const;
    // The outcome of a write: None when it worked. Returns whether the state changed.
    bool note(WriteFailureReason reason);

Q_SIGNALS:
    // May come from the thread that wrote.
    void changed();

private:
    mutable QMutex mutex_;
    WriteFailureReason reason_ = WriteFailureReason::None;
};

} // namespace vantrel
