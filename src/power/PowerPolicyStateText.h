#pragma once
// The display text of the daemon's "power_only_state".
#include <QString>

namespace vantrel {

// The Korean literal of a known state (or the state name itself), shown through the
// display-name lookup in lang.
QString powerPolicyStateDisplayText(const QString& state, const QString& lang);
// The Korean literal for a known state; the state itself for any other.
QString powerPolicyStateLiteral(const QString& state);

} // namespace vantrel
