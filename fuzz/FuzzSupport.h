#pragma once
// What every harness shares: quiet logging and one scratch folder per process, reused by
// every run so a long session does not leave a file behind per input.
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QString>

#include "base/Paths.h"

namespace vantrel::fuzz {

// Silences the product log and Qt messages; call once from LLVMFuzzerInitialize.
void quietLogging();

// The process's scratch folder (removed when the process exits normally).
QString scratchDirectory();

// Paths re-rooted under the scratch folder.
Paths scratchPaths();

// Replaces the file at path with bytes (creating its folder); the same path every run.
void writeInput(const QString& path, const QByteArray& bytes);

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace vantrel::fuzz
