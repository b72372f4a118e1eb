#pragma once
// What every vantrelctl command works with: the daemon client over the recording transport,
// the fixed paths and the application's preferences.
#include <QString>

namespace vantrel {

class CtlTransport;
class DaemonClient;
class Paths;
class Preferences;

struct CtlContext {
    DaemonClient& client;
    CtlTransport& transport;
    const Paths& paths;
    Preferences& appPreferences;
    QString socketPath;
    QString programDirectory; // where a built vantrel-smc may sit beside vantrelctl
};

} // namespace vantrel
