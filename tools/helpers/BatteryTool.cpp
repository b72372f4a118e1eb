#include "tools/helpers/BatteryTool.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/helpers/ToolMain.h"

namespace vantrel::tools {

namespace {

constexpr const char* kBatteryUsage
    = "usage: battery visudo [USER]   allow USER to run the helper tools without a password\n";

bool makeDirectories(const std::string& dir)
{
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/')
            continue;
        const std::string part = dir.substr(0, pos);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// Writes a temporary file beside path and renames it over path, so sudo never reads half a file.
bool writeAtomically(const std::string& path, const std::string& text, mode_t mode, std::string& error)
{
    const std::string dir = path.substr(0, path.rfind('/'));
    if (!makeDirectories(dir)) {
        error = "cannot create " + dir + ": " + std::strerror(errno);
        return false;
    }
    const std::string temp = path + ".tmp." + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        error = "cannot write " + temp + ": " + std::strerror(errno);
        return false;
    }
    writeAll(fd, text);
    const bool synced = ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    if (!synced || ::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Sudoers user names: letters, digits and a few punctuation marks; "#<uid>" for a numeric id.
bool plausibleUser(const std::string& user)
{
    if (user.empty() || user.size() > 64)
        return false;
    for (std::size_t i = 0; i < user.size(); ++i) {
        const char c = user[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
            || c == '-' || c == '.' || (c == '#' && i == 0);
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

std::string sudoersText(const std::string& user, const std::string& smcPath, const std::string& batteryPath)
{
    return "# Written by `battery visudo`: " + user
        + " may run the Vantrel helper tools without a password.\n"
          "Cmnd_Alias VANTREL_HELPERS = "
        + smcPath + ", " + batteryPath + "\n" + user + " ALL = (root) NOPASSWD: VANTREL_HELPERS\n";
}

ToolOutput runBatteryTool(const std::vector<std::string>& args, const ToolEnvironment& env)
{
    if (args.empty() || args[0] != "visudo" || args.size() > 2)
        return ToolOutput{{}, kBatteryUsage, 64};
    std::string user = args.size() == 2 ? args[1] : (!env.sudoUser.empty() ? env.sudoUser : env.user);
    if (user.empty())
        user = "#" + std::to_string(env.uid);
    if (!plausibleUser(user))
        return ToolOutput{{}, "battery: \"" + user + "\" is not a user name sudo accepts\n", 65};

    const std::string path = env.rooted("/private/etc/sudoers.d/battery");
    const std::string text
        = sudoersText(user, env.rooted("/usr/local/vantrel/smc"), env.rooted("/usr/local/vantrel/battery"));
    std::string error;
    if (!writeAtomically(path, text, 0440, error))
        return ToolOutput{{}, "battery: " + error + "\n", 1};
    return ToolOutput{"battery: " + path + " allows " + user + " to run the helper tools\n", {}, 0};
}

} // namespace vantrel::tools
