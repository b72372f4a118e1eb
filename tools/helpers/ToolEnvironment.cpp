#include "tools/helpers/ToolEnvironment.h"

#include <cstdlib>
#include <unistd.h>

namespace vantrel::tools {

namespace {
std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}
} // namespace

ToolEnvironment ToolEnvironment::fromProcess()
{
    ToolEnvironment e;
    e.simStateDir = env("VANTREL_SIM_STATE_DIR");
    e.root = env("VANTREL_ROOT");
    while (!e.root.empty() && e.root.back() == '/')
        e.root.pop_back();
    e.sudoUser = env("SUDO_USER");
    e.user = env("USER");
    e.uid = static_cast<unsigned>(getuid());
    return e;
}

std::string ToolEnvironment::stateDirectory() const
{
    if (!simStateDir.empty())
        return simStateDir;
    return rooted("/tmp/vantrel-sim");
}

} // namespace vantrel::tools
