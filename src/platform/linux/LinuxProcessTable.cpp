#include "platform/linux/LinuxProcessTable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>

#include "platform/linux/PseudoFile.h"

namespace vantrel {
namespace {

// A /proc entry name that is a process ID: all digits, fits an int, not 0.
int pidFromName(const char* name)
{
    if (*name == '\0')
        return 0;
    long value = 0;
    for (const char* p = name; *p; ++p) {
        if (*p < '0' || *p > '9')
            return 0;
        value = value * 10 + (*p - '0');
        if (value > 0x7fffffff)
            return 0;
    }
    return static_cast<int>(value);
}

} // namespace

LinuxProcessTable::LinuxProcessTable(QString procRoot)
    : procRoot_(std::move(procRoot))
    , procRootBytes_(procRoot_.toLocal8Bit())
{ }

std::vector<int> LinuxProcessTable::processIDs(std::size_t maxCount) const
{
    std::vector<int> pids;
    DIR* dir = ::opendir(procRootBytes_.constData());
    if (!dir)
        return pids;
    while (pids.size() < maxCount) {
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        if (const int pid = pidFromName(entry->d_name); pid > 0)
            pids.push_back(pid);
    }
    ::closedir(dir);
    return pids;
}

std::optional<int> LinuxProcessTable::parseThreadsLine(const char* statusText)
{
    const char* line = statusText;
    while (line && *line) {
        if (std::strncmp(line, "Threads:", 8) == 0) {
            char* end = nullptr;
            const long value = std::strtol(line + 8, &end, 10);
            if (end == line + 8 || value < 0 || value > 0x7fffffff)
                return std::nullopt;
            return static_cast<int>(value);
        }
        line = std::strchr(line, '\n');
        if (line)
            ++line;
    }
    return std::nullopt;
}

std::optional<int> LinuxProcessTable::threadCount(int pid) const
{
    // "Threads:" usually sits within the first 4 KiB; a long "Groups:" line can push it further.
    char path[512];
    char buffer[4096];
    std::snprintf(path, sizeof path, "%s/%d/status", procRootBytes_.constData(), pid);
    const long n = linuxfs::readPseudoFileInto(path, buffer, sizeof buffer);
    if (n < 0)
        return std::nullopt;
    if (const auto threads = parseThreadsLine(buffer); threads || n < static_cast<long>(sizeof buffer) - 1)
        return threads;
    const auto whole = linuxfs::readPseudoFile(QString::fromLocal8Bit(path));
    return whole ? parseThreadsLine(whole->constData()) : std::nullopt;
}

std::vector<ProcessEntry> LinuxProcessTable::listNames() const
{
    std::vector<ProcessEntry> out;
    char path[512];
    char buffer[256];
    for (const int pid : processIDs(static_cast<std::size_t>(-1))) {
        std::snprintf(path, sizeof path, "%s/%d/comm", procRootBytes_.constData(), pid);
        const long n = linuxfs::readPseudoFileInto(path, buffer, sizeof buffer);
        if (n < 0)
            continue; // gone since the listing
        ProcessEntry entry;
        entry.pid = pid;
        entry.name = QString::fromUtf8(buffer, n).trimmed();
        out.push_back(std::move(entry));
    }
    return out;
}

std::vector<ProcessEntry> LinuxProcessTable::list() const
{
    std::vector<ProcessEntry> out = listNames();
    for (ProcessEntry& entry : out)
        entry.threadCount = threadCount(entry.pid).value_or(0);
    return out;
}

} // namespace vantrel
