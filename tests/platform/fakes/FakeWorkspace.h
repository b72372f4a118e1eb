#pragma once
// Records what the app asked the desktop to open; the answer is scripted.
#include <QStringList>

#include "platform/Workspace.h"

namespace vantrel::test {

class FakeWorkspace final : public Workspace {
public:
    bool openUrl(const QUrl& url) override
    {
        openedUrls << url.toString();
        return accept;
    }
    bool openApplication(const QString& path) override
    {
        openedApplications << path;
        return accept;
    }

    bool accept = true;
    QStringList openedUrls;
    QStringList openedApplications;
};

} // namespace vantrel::test
