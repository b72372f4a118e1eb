#pragma once
// The command line of the vantrel program.
#include <optional>

#include <QString>
#include <QStringList>

#include "base/Paths.h"
#include "platform/PlatformServices.h"

namespace vantrel {

struct LaunchOptions {
    QStringList arguments;
    bool backgroundStatusOnly = false;
    PlatformKind platform = PlatformKind::Linux;
    // "--headless-demo DIR": run offscreen, print readings, write screenshots into DIR.
    std::optional<QString> headlessDemoDirectory;
    // "--demo-seconds N": how long the headless demo runs.
    int demoSeconds = 20;
    bool demoMainWindowOnly = false;

    // "--screenshot PAGE FILE [--lang CODE] [--theme light|dark]": render one page offscreen
    // to a PNG and end, without taking the instance lock or starting the monitoring loop.
    struct Screenshot {
        QString pageId;
        QString file;
        QString lang;
        QString theme;
    };
    std::optional<Screenshot> screenshot;

    // Nothing, with the reason in *error, for a bad platform name or a flag without its value.
    // Arguments it does not know are left for other parts.
    static std::optional<LaunchOptions> parse(const QStringList& arguments, const Paths& paths, QString* error);
};

} // namespace vantrel
