#pragma once
// ISO 8601 time stamps of the JSON Lines logs, read and written without going through text
// conversions for the one shape the application writes, "YYYY-MM-DDTHH:MM:SSZ".
#include <optional>
#include <string_view>

#include <QDateTime>

namespace vantrel::iso {

// What QDateTime::fromString(text, Qt::ISODate) gives; the written shape is read directly.
QDateTime parse(std::string_view text);
// The written shape only: a whole UTC second of the years 1000 to 9999; nothing for any other text.
std::optional<QDateTime> parseWholeSecondUtc(std::string_view text);
// Appends "YYYY-MM-DDTHH:MM:SSZ" for t (whole seconds, UTC), as t.toUTC().toString(Qt::ISODate)
// writes it; false (and nothing appended) for times outside the years 1000 to 9999 or invalid ones.
bool appendWholeSecondUtc(std::string& out, const QDateTime& t);

} // namespace vantrel::iso
