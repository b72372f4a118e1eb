#include "smc/SysfsFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace vantrel::smc {

namespace {

// A sysfs attribute is at most one page.
constexpr std::size_t kMaxAttributeBytes = 4096;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

} // namespace

ReadStatus readWholeFile(const std::string& path, std::string& out, std::size_t maxBytes)
{
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
    char buf[16384];
    ReadStatus status = ReadStatus::Ok;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            status = ReadStatus::Failed;
            break;
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
        if (out.size() > maxBytes) {
            status = ReadStatus::Failed;
            break;
        }
    }
    ::close(fd);
    if (status != ReadStatus::Ok)
        out.clear();
    return status;
}

std::optional<std::string> readAttribute(const std::string& path)
{
    std::string text;
    if (readWholeFile(path, text, kMaxAttributeBytes) != ReadStatus::Ok)
        return std::nullopt;
    while (!text.empty() && isSpace(text.back()))
        text.pop_back();
    return text;
}

std::optional<long long> readIntegerAttribute(const std::string& path)
{
    const auto text = readAttribute(path);
    if (!text || text->empty())
        return std::nullopt;
    const std::size_t digitsFrom = (text->front() == '-' || text->front() == '+') ? 1 : 0;
    if (digitsFrom == text->size() || text->size() > 19
        || !std::all_of(text->begin() + static_cast<std::ptrdiff_t>(digitsFrom), text->end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::strtoll(text->c_str(), nullptr, 10);
}

std::vector<std::string> listFolder(const std::string& path)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<int> numberBetween(std::string_view name, std::string_view prefix, std::string_view suffix)
{
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix))
        return std::nullopt;
    const std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

} // namespace vantrel::smc
