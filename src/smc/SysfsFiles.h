#pragma once
// Plain file reads for the helper tools: whole files with a size limit, single sysfs attributes
// and folder listings. A read that fails for any reason gives nothing, never an exception.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::smc {

enum class ReadStatus {
    Ok,
    Missing, // the file (or a folder on its path) does not exist
    Failed, // it exists but could not be read whole, or is larger than allowed
};

ReadStatus readWholeFile(const std::string& path, std::string& out, std::size_t maxBytes);

// One attribute file's text without trailing white space; nothing when it cannot be read.
std::optional<std::string> readAttribute(const std::string& path);
// An attribute holding one decimal integer (optionally signed); nothing for any other text.
std::optional<long long> readIntegerAttribute(const std::string& path);

// The entry names of a folder, without "." and "..", in byte order; empty when it cannot be listed.
std::vector<std::string> listFolder(const std::string& path);

// The number after prefix in name ("hwmon12", "hwmon" → 12), or after prefix and before suffix
// ("temp3_input", "temp", "_input" → 3); nothing unless exactly decimal digits are in between.
std::optional<int> numberBetween(std::string_view name, std::string_view prefix, std::string_view suffix = {});

} // namespace vantrel::smc
