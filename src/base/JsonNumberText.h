#pragma once
// The text QJsonDocument writes for a double, produced without building a document, so a reader
// can tell whether a line it read is exactly what writing its record would give.
#include <string>

namespace vantrel::json {

// Appends what QJsonDocument's compact form writes for d: an integral value of at most 2^53 as an
// integer, any other as the shortest text that reads back as d ('g' style, two-digit exponents).
// False, with nothing appended, for values whose spelling it does not vouch for (not finite,
// negative zero, integral beyond 2^53).
bool appendCompactDouble(std::string& out, double d);

} // namespace vantrel::json
