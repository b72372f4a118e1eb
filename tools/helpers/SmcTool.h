#pragma once
// The `smc` helper tool: `smc -k KEY -r` prints the key's line from the simulator's key
// store, or, where there is no simulator, from this Linux machine's sensors; `smc -l` lists
// every key. Plain C++ so the binary starts in a couple of milliseconds.
#include <string>
#include <vector>

#include "tools/helpers/ToolEnvironment.h"

namespace vantrel::tools {

ToolOutput runSmcTool(const std::vector<std::string>& args, const ToolEnvironment& env);

} // namespace vantrel::tools
