#pragma once
// Reads what `smc -k KEY -r` prints for each key: the key, the type in square brackets, the
// decimal value and an optional tail in parentheses, e.g. "  TG0D  [flt ]  47.25 (bytes 00 00 3d 42)".
#include <QHash>
#include <QString>
#include <QStringView>

namespace vantrel {

// Values whose magnitude reaches this are garbage, not readings.
inline constexpr double kSmcValueLimit = 10000.0;

// key → value for every line that parses; a later line for a key replaces an earlier one.
QHash<QString, double> parseSmcToolOutput(QStringView output);

} // namespace vantrel
