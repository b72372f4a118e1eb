#pragma once
// A root-view context over virtual time, in-memory preferences and a scripted daemon.
#include <memory>

#include "base/Preferences.h"
#include "base/VirtualDispatch.h"
#include "daemon/DaemonClient.h"
#include "support/FakeDaemonTransport.h"
#include "ui/shell/UiContext.h"
#include "ui/shell/UiState.h"

namespace vantrel::test {

struct UiTestRig {
    VirtualDispatch dispatch;
    MemoryPreferences preferences;
    UiState state;
    std::shared_ptr<FakeDaemonTransport> transport = std::make_shared<FakeDaemonTransport>();
    int quitCalls = 0;

    UiContext context()
    {
        UiContext c;
        c.dispatch = &dispatch;
        c.preferences = &preferences;
        c.daemon = std::make_shared<DaemonClient>(transport);
        c.state = &state;
        c.quit = [this] { ++quitCalls; };
        return c;
    }
    void answerStatus(double cpu = 52, int fan = 2300)
    {
        transport->reply("get_status", QJsonObject{{"status", "ok"}, {"cpu_temp", cpu}, {"fan0", fan}, {"fan1", fan}});
    }
};

} // namespace vantrel::test
