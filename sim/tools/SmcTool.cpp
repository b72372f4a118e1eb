#include "tools/SmcTool.h"

#include <fcntl.h>
#include <unistd.h>

#include "smc/SmcKeyFile.h"

namespace vantrel::sim::tools {

namespace {

constexpr const char* kUsage =
    "usage: smc -k KEY -r    read one key\n"
    "       smc -l           list every key\n";

// The key file is a few kilobytes; anything far larger is not ours.
constexpr std::size_t kMaxFileBytes = 1 << 20;

bool readWholeFile(const std::string& path, std::string& out)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buf[16384];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
        if (out.size() > kMaxFileBytes) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    return ok;
}

ToolOutput failure(std::string message, int code)
{
    return ToolOutput{{}, "smc: " + message + "\n", code};
}

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
            return ToolOutput{{}, kUsage, 64};
    }
    const bool readOne = read && !key.empty() && !list;
    const bool listAll = list && !read && key.empty();
    if (!readOne && !listAll)
        return ToolOutput{{}, kUsage, 64};

    const std::string path = env.stateDirectory() + "/" + smc::kKeyFileName;
    std::string text;
    if (!readWholeFile(path, text))
        return failure("cannot read the SMC key store " + path + " (is vantrel-sim running?)", 2);
    const auto file = smc::SmcKeyFile::parse(text);

    ToolOutput result;
    if (list) {
        for (const auto& entry : file.entries())
            result.out += smc::formatReadLine(entry) + "\n";
        return result;
    }
    const smc::SmcEntry* entry = file.find(key);
    if (!entry)
        return failure("key \"" + key + "\" not found", 1);
    result.out = smc::formatReadLine(*entry) + "\n";
    return result;
}

} // namespace vantrel::sim::tools
