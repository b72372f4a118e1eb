#pragma once
// Reading and writing single sysfs attributes. A write goes straight to the attribute (sysfs
// nodes cannot be replaced by a rename), is read back and logged.
#include <functional>
#include <optional>

#include <QByteArray>
#include <QString>

namespace vantrel::node {

// Writes value to the attribute at path; returns an error text, empty on success. The real
// writer opens the file and writes the bytes; tests put a fake kernel in its place.
using SysfsWriter = std::function<QString(const QString& path, const QByteArray& value)>;
QString writeSysfsFile(const QString& path, const QByteArray& value);

// The attribute's text without surrounding white space; nothing when it cannot be read.
std::optional<QString> readSysfsText(const QString& path);
std::optional<int> readSysfsInt(const QString& path);

// Whether the driver offers writing the attribute: it exists and its mode has a write bit
// (sysfs shows attributes without a store operation as 0444, even to root).
bool sysfsWritable(const QString& path);

struct SysfsWriteOutcome {
    QString error; // empty when the write itself succeeded
    std::optional<QString> readBack; // what the attribute says afterwards
    bool written() const { return error.isEmpty(); }
};

// Writes, reads back and logs "<component>: wrote "<value>" to <path>; read back "<text>"".
SysfsWriteOutcome writeAndReadBack(const SysfsWriter& writer, const QString& component, const QString& path,
                                   const QString& value);

} // namespace vantrel::node
