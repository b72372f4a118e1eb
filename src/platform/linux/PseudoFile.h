#pragma once
// Reading the kernel's small text files under /proc and /sys. Their reported size is
// meaningless (often 0), so they are read to the end with plain reads.
#include <cstddef>
#include <optional>

#include <QByteArray>
#include <QString>

namespace vantrel::linuxfs {

// The whole file, or nothing when it cannot be opened or read or is larger than maxBytes.
std::optional<QByteArray> readPseudoFile(const QString& path, std::size_t maxBytes = 1 << 20);
// Reads path into buffer (at most capacity - 1 bytes, NUL-terminated); the byte count, or -1.
// The allocation-free form for scans over every process.
long readPseudoFileInto(const char* path, char* buffer, std::size_t capacity);
// The file's text with surrounding white space removed; nothing when it cannot be read.
std::optional<QString> readTrimmedText(const QString& path);

} // namespace vantrel::linuxfs
