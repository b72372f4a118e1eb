#include "smc/SmcKeyFile.h"

#include <cmath>
#include <cstdio>

namespace vantrel::smc {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

} // namespace

SmcKeyFile SmcKeyFile::parse(std::string_view text)
{
    SmcKeyFile file;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        const auto parts = fields(line);
        if (parts.empty() || parts.front().front() == '#')
            continue;
        std::optional<SmcType> type;
        std::optional<Bytes> bytes;
        if (parts.size() == 3 && parts[0].size() == 4) {
            type = typeFromCode(parts[1]);
            bytes = fromHex(parts[2]);
        }
        if (!type || !bytes || bytes->size() != byteSize(*type)) {
            ++file.skipped_;
            continue;
        }
        file.entries_.push_back(SmcEntry{std::string(parts[0]), *type, std::move(*bytes)});
    }
    return file;
}

const SmcEntry* SmcKeyFile::find(std::string_view key) const
{
    for (const auto& e : entries_)
        if (e.key == key)
            return &e;
    return nullptr;
}

std::string SmcKeyFile::render(const std::vector<SmcEntry>& entries, std::string_view header)
{
    std::string out;
    if (!header.empty()) {
        out += "# ";
        out += header;
        out += '\n';
    }
    for (const auto& e : entries) {
        out += e.key;
        out += ' ';
        out += fileTypeCode(e.type);
        out += ' ';
        out += toHex(e.bytes);
        out += '\n';
    }
    return out;
}

std::string formatValue(double value)
{
    if (!std::isfinite(value))
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    std::string text(buf);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    if (text == "-0")
        text = "0";
    return text;
}

std::string formatReadLine(const SmcEntry& entry)
{
    std::string line = "  " + entry.key + "  [" + typeCode(entry.type) + "]  ";
    line += formatValue(entry.value().value_or(0.0));
    line += " (bytes";
    const std::string hex = toHex(entry.bytes);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        line += ' ';
        line += hex.substr(i, 2);
    }
    line += ')';
    return line;
}

} // namespace vantrel::smc
