#pragma once
// Why a file could not be written, in terms a user can act on: the disk is full, or the
// program may not write there.
#include <QString>

namespace vantrel {

enum class WriteFailureReason {
    None,
    DiskFull,
    NoPermission,
    Other
};

// The reason behind an errno value from a failed open, write or rename.
WriteFailureReason writeFailureReasonFor(int error);

// Finds out why writing a file of about `bytes` bytes at filePath failed, by trying the same
// in its folder with a temporary file (removed again). Other when the trial works.
WriteFailureReason probeWriteFailure(const QString& filePath, qint64 bytes);

// "the disk is full", "no permission", "an unexpected error": for log lines.
QString describeWriteFailure(WriteFailureReason reason);

} // namespace vantrel
