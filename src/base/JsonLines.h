#pragma once
// JSON Lines files: one JSON object per line, each line ending with a line feed.
// Reading skips empty and unreadable lines.
#include <string_view>
#include <vector>

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace vantrel::jsonl {

std::vector<QJsonObject> parse(const QByteArray& content);
// What parse() reads of one line: the line without surrounding white space (as QByteArray::trimmed).
std::string_view trimmed(std::string_view line);
// Missing or unreadable file = no records.
std::vector<QJsonObject> read(const QString& path);
QByteArray encode(const std::vector<QJsonObject>& records);
QByteArray encodeLine(const QJsonObject& record);
// Appends one record (creating the file and its folder when needed).
bool append(const QString& path, const QJsonObject& record);
// Replaces the whole file atomically.
bool writeAll(const QString& path, const std::vector<QJsonObject>& records);

} // namespace vantrel::jsonl
