#pragma once
// The daemon's commands by name. Each group of commands registers itself from its own file.
#include <functional>

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "sim/protocol/SimContext.h"

namespace vantrel::sim {

using CommandHandler = std::function<QJsonObject(SimContext&, const QJsonObject& request)>;

struct Command {
    CommandHandler handler;
    // The command can change what the state files show, so they are rewritten after it.
    bool changesState = true;
    // A read-back the application polls; not worth a diagnostic event.
    bool quiet = false;
};

class CommandTable {
public:
    void add(const QString& name, CommandHandler handler, bool changesState = true, bool quiet = false);
    const Command* find(const QString& name) const;
    QStringList names() const;

private:
    QHash<QString, Command> commands_;
};

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
