#pragma once
// The simulator's commands by name. Each group of commands registers itself from its own file.
#include "daemonserver/CommandTable.h"
#include "daemonserver/Replies.h"
#include "sim/protocol/SimContext.h"

namespace vantrel::sim {

using Command = daemonserver::Command<SimContext>;
using CommandTable = daemonserver::CommandTable<SimContext>;
using CommandHandler = CommandTable::Handler;

// The reply builders every handler uses.
using daemonserver::errorReply;
using daemonserver::invalidArgument;
using daemonserver::isError;
using daemonserver::okReply;

// The daemon protocol's commands, then the simulator's private "sim_*" controls.
void addStatusCommands(CommandTable& table);
void addFanCommands(CommandTable& table);
void addBatteryCommands(CommandTable& table);
void addSleepCommands(CommandTable& table);
void addSettingsCommands(CommandTable& table);
void addUpdateCommands(CommandTable& table);
void addDiagnosticCommands(CommandTable& table);
void addControlCommands(CommandTable& table);
CommandTable fullCommandTable();

} // namespace vantrel::sim
