#pragma once
// "export_diagnostic_bundle" on this machine: besides the files every bundle holds, what the
// machine is and reads now, the power policy state, the daemon's events, the power supplies'
// uevent files (serial numbers left out) and the stored user settings.
#include <QJsonObject>
#include <QStringList>

#include "node/daemon/NodeContext.h"

namespace vantrel::node {

// The node's own files of a bundle, in order.
const QStringList& nodeDiagnosticFiles();

// Checks the request, writes the bundle under the state folder and answers with its path;
// policySnapshot is the "get_power_policy_state" reply of this moment.
QJsonObject exportNodeDiagnosticBundle(NodeContext& ctx, const QJsonObject& request, const QJsonObject& policySnapshot);

} // namespace vantrel::node
