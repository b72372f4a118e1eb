#pragma once
// What the fan page stands on in a test: a preset store in a folder of its own (a TempDir or a
// TinyFileSystem), a fake daemon and virtual time. Fixtures derive from it and add the page.
#include <memory>

#include <QStringList>

#include "base/Paths.h"
#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "fan/FanConfigurationApplier.h"
#include "fan/FanControlState.h"
#include "fan/FanPresetStore.h"
#include "support/FakeDaemonTransport.h"

namespace vantrel::test {

template <typename Folder> struct FanPageParts {
    Folder folder;
    Paths paths = Paths::underRoot(folder.path());
    VirtualClock clock;
    MemoryPreferences prefs;
    FanPresetStore store{paths, prefs, clock};
    std::shared_ptr<FakeDaemonTransport> daemon = std::make_shared<FakeDaemonTransport>();
    DaemonClient client{daemon};
    FanControlState state{prefs};
    // What the applier's "may the daemon be used" question answers.
    bool available = true;
    VirtualDispatch dispatch;
    FanConfigurationApplier applier{state, client, dispatch, [this] { return available; }};

    QStringList customNames() const
    {
        QStringList out;
        for (const auto& p : store.loadCustomPresets())
            out << p.name;
        return out;
    }
};

} // namespace vantrel::test
