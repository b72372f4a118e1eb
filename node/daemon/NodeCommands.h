#pragma once
// The node's commands by name. Each group of commands registers itself from its own file.
#include "daemonserver/CommandTable.h"
#include "node/daemon/NodeContext.h"

namespace vantrel::node {

using NodeCommandTable = daemonserver::CommandTable<NodeContext>;

void addNodeStatusCommands(NodeCommandTable& table);
void addNodeFanCommands(NodeCommandTable& table);
void addNodeBatteryCommands(NodeCommandTable& table);
void addNodeSleepCommands(NodeCommandTable& table);
void addNodeSettingsCommands(NodeCommandTable& table);
void addNodeServiceCommands(NodeCommandTable& table);
NodeCommandTable nodeCommandTable();

// The reply of a command this platform does not offer: code "ERR_UNSUPPORTED_PLATFORM".
QJsonObject unsupportedPlatform(const QString& message);

} // namespace vantrel::node
