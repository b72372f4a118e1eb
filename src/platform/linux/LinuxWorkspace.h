#pragma once
// Opens URLs and files with the desktop's opener (xdg-open); executables are started directly.
#include "platform/Workspace.h"

namespace vantrel {

class LinuxWorkspace final : public Workspace {
public:
    explicit LinuxWorkspace(QString opener = QStringLiteral("xdg-open"));

    bool openUrl(const QUrl& url) override;
    bool openApplication(const QString& path) override;

private:
    QString opener_;
};

} // namespace vantrel
