#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

void CommandTable::add(const QString& name, CommandHandler handler, bool changesState, bool quiet)
{
    commands_.insert(name, Command{std::move(handler), changesState, quiet});
}

const Command* CommandTable::find(const QString& name) const
{
    const auto it = commands_.constFind(name);
    return it == commands_.cend() ? nullptr : &it.value();
}

QStringList CommandTable::names() const
{
    QStringList names = commands_.keys();
    names.sort();
    return names;
}

CommandTable fullCommandTable()
{
    CommandTable table;
    addStatusCommands(table);
    addFanCommands(table);
    addBatteryCommands(table);
    addSleepCommands(table);
    addSettingsCommands(table);
    addUpdateCommands(table);
    addDiagnosticCommands(table);
    addControlCommands(table);
    return table;
}

} // namespace vantrel::sim
