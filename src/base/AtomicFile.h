#pragma once
// Whole-file replacement that never leaves a half-written file behind.
#include <optional>

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace vantrel {

// Writes data to a temporary file beside path and renames it over path. Creates the
// folder when missing. With permissions given, the new file gets exactly those.
bool writeFileAtomically(const QString& path, const QByteArray& data,
                         std::optional<QFileDevice::Permissions> permissions = std::nullopt, QString* error = nullptr);

// Reads a whole file, or nothing when it cannot be read or is larger than maxBytes.
std::optional<QByteArray> readFile(const QString& path, qint64 maxBytes = 64LL * 1024 * 1024);

} // namespace vantrel
