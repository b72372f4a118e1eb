#include "tools/helpers/SmcTool.h"

#include "smc/LinuxSensorTree.h"
#include "smc/LinuxSmcKeys.h"
#include "smc/SmcKeyFile.h"
#include "smc/SysfsFiles.h"

namespace vantrel::tools {

namespace {

constexpr const char* kSmcUsage = "usage: smc -k KEY -r    read one key\n"
                                  "       smc -l           list every key\n";

// The key file is a few kilobytes; anything far larger is not ours.
constexpr std::size_t kMaxFileBytes = 1 << 20;

ToolOutput failure(std::string message, int code) { return ToolOutput{{}, "smc: " + message + "\n", code}; }

} // namespace

ToolOutput runSmcTool(const std::vector<std::string>& args, const ToolEnvironment& env)
{
    std::string key;
    bool read = false;
    bool list = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-k" && i + 1 < args.size())
            key = args[++i];
        else if (args[i] == "-r")
            read = true;
        else if (args[i] == "-l")
            list = true;
        else
            return ToolOutput{{}, kSmcUsage, 64};
    }
    const bool readOne = read && !key.empty() && !list;
    const bool listAll = list && !read && key.empty();
    if (!readOne && !listAll)
        return ToolOutput{{}, kSmcUsage, 64};

    // The simulated Mac wins whenever its key store is there; otherwise this machine's sensors answer.
    const std::string path = env.stateDirectory() + "/" + smc::kKeyFileName;
    std::string text;
    const smc::ReadStatus store = smc::readWholeFile(path, text, kMaxFileBytes);
    if (store == smc::ReadStatus::Failed)
        return failure("cannot read the SMC key store " + path + " (is vantrel-sim running?)", 2);

    std::vector<smc::SmcEntry> entries;
    std::optional<smc::SmcEntry> one;
    if (store == smc::ReadStatus::Ok) {
        const auto file = smc::SmcKeyFile::parse(text);
        if (list)
            entries = file.entries();
        else if (const smc::SmcEntry* found = file.find(key))
            one = *found;
    } else {
        smc::LinuxSensorTree tree(env.sysfsClassFolder());
        smc::LinuxSmcKeys sensors(tree);
        if (list)
            entries = sensors.readAll();
        else
            one = sensors.read(key);
    }

    ToolOutput result;
    if (list) {
        for (const auto& entry : entries)
            result.out += smc::formatReadLine(entry) + "\n";
        return result;
    }
    if (!one)
        return failure("key \"" + key + "\" not found", 1);
    result.out = smc::formatReadLine(*one) + "\n";
    return result;
}

} // namespace vantrel::tools
