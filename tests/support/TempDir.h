#pragma once
// A temporary folder removed at the end of the test, with a re-rooted Paths inside it.
#include <QTemporaryDir>

#include "base/Paths.h"

namespace vantrel::test {

class TempDir {
public:
    TempDir();
    QString path() const { return dir_.path(); }
    QString file(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }
    Paths paths() const { return Paths::underRoot(dir_.path()); }
    // Writes content to relative (creating folders); returns the absolute path.
    QString write(const QString& relative, const QByteArray& content) const;

private:
    QTemporaryDir dir_;
};

// Folder with the built programs (vantrel-sim, vantrel-smc …).
QString builtBinary(const QString& name);

} // namespace vantrel::test
