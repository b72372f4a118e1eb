#pragma once
// Creates a folder with its missing parents, giving every folder made here the mode
// (existing ones are left as they are).
#include <sys/types.h>

#include <QString>

namespace vantrel {

// False (with the reason in *error) when a folder could not be made.
bool makeDirectoryTree(const QString& path, mode_t mode, QString* error = nullptr);

} // namespace vantrel
