#pragma once
// Appending to a log file in a folder other users can write to (/tmp). Another user may
// have planted a link there pointing at one of our files, or created the file first to read
// what we write or to feed us; both are refused rather than followed.
#include <QByteArray>
#include <QString>

namespace vantrel {

// Appends bytes to path, creating it (mode 0600) when missing. Refused, and false, when the
// item is a link, is not a regular file, or belongs to another user; the folder is not created.
bool appendToOwnFile(const QString& path, const QByteArray& bytes);

} // namespace vantrel
