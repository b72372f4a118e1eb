#pragma once
// An alert a screen presents now.
#include <QString>

namespace vantrel {

struct HeatProtectionAlertPayload {
    QString id;
    QString title;
    QString message;

    bool operator==(const HeatProtectionAlertPayload&) const = default;
};

} // namespace vantrel
