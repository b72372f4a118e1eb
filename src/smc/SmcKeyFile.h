#pragma once
// The simulated SMC key store as a text file, one key a line: `KEY TYPE HEX`
// (e.g. "TG0D flt_ 00003d42"); '#' starts a comment line. The simulator writes it,
// the smc tool and the sim platform backend read it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "smc/SmcType.h"

namespace vantrel::smc {

inline constexpr const char* kKeyFileName = "smc-keys.txt";

struct SmcEntry {
    std::string key; // four characters
    SmcType type = SmcType::Flt;
    Bytes bytes;

    // The decoded value of the stored bytes.
    std::optional<double> value() const { return decode(type, bytes); }
};

class SmcKeyFile {
public:
    // Parses file text; malformed lines are skipped and counted.
    static SmcKeyFile parse(std::string_view text);

    const std::vector<SmcEntry>& entries() const { return entries_; }
    const SmcEntry* find(std::string_view key) const;
    int skippedLines() const { return skipped_; }

    // Renders entries in order, one line each, after an optional comment header.
    static std::string render(const std::vector<SmcEntry>& entries, std::string_view header = {});

private:
    std::vector<SmcEntry> entries_;
    int skipped_ = 0;
};

// The line `smc -k KEY -r` prints for a key: key, type in brackets, decimal value and the
// raw bytes, e.g. "  TG0D  [flt ]  47.25 (bytes 00 00 3d 42)".
std::string formatReadLine(const SmcEntry& entry);
// The decimal value as the read line shows it: at most two decimals, trailing zeros dropped.
std::string formatValue(double value);

} // namespace vantrel::smc
