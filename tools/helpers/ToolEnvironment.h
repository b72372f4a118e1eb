#pragma once
// What the helper tools take from their environment, gathered once so tests can supply it.
#include <string>

namespace vantrel::tools {

struct ToolEnvironment {
    std::string simStateDir; // VANTREL_SIM_STATE_DIR
    std::string root; // VANTREL_ROOT
    std::string sudoUser; // SUDO_USER: who ran the tool through sudo
    std::string user; // USER
    unsigned uid = 0; // the real user id, for when no name is known

    static ToolEnvironment fromProcess();

    // The simulator's state folder: VANTREL_SIM_STATE_DIR, else <root>/tmp/vantrel-sim.
    std::string stateDirectory() const;
    // A fixed absolute path of the system under VANTREL_ROOT.
    std::string rooted(const std::string& absolutePath) const { return root + absolutePath; }
    // Where this machine's sensors are listed: <root>/sys/class.
    std::string sysfsClassFolder() const { return rooted("/sys/class"); }
};

struct ToolOutput {
    std::string out;
    std::string err;
    int exitCode = 0;
};

} // namespace vantrel::tools
