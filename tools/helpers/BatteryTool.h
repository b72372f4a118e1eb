#pragma once
// The `battery` helper tool. `battery visudo [USER]` writes the sudoers permission file that
// lets the user run the helper tools through sudo without a password.
#include <string>
#include <vector>

#include "tools/helpers/ToolEnvironment.h"

namespace vantrel::tools {

ToolOutput runBatteryTool(const std::vector<std::string>& args, const ToolEnvironment& env);

// The permission file's text for user (a name, or "#<uid>").
std::string sudoersText(const std::string& user, const std::string& smcPath, const std::string& batteryPath);

} // namespace vantrel::tools
