#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

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
