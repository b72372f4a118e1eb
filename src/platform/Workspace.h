#pragma once
// Handing URLs and applications to the desktop to open.
#include <QString>
#include <QUrl>

namespace vantrel {

class Workspace {
public:
    virtual ~Workspace() = default;
    // True when the desktop accepted the request (not that anything is on screen yet).
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts the application at path (an executable or a desktop entry).
    virtual bool openApplication(const QString& path) = 0;
};

} // namespace vantrel
