#pragma once
// The command line of vantrel-sim: how to run the simulated Mac, or a control request.
#include <optional>

#include <QString>
#include <QStringList>

#include "base/Paths.h"
#include "sim/protocol/SimContext.h"

namespace vantrel::sim {

struct SimOptions {
    SimDaemonConfig daemon;
    QString socketPath;
    double speed = 1.0;
    bool background = false;

    // Parses arguments (without the program name). Nothing, with the message in *error, for
    // a bad command line; *help is set when the usage was asked for.
    static std::optional<SimOptions> parse(const QStringList& arguments, const Paths& paths, QString* error,
                                           bool* help);
    static QString usage();
};

} // namespace vantrel::sim
