#pragma once
// `vantrel-sim ctl`: sends one control (or daemon) request and prints the reply.
#include <optional>

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "base/Paths.h"

namespace vantrel::sim {

struct CliResult {
    QString out;
    QString err;
    int exitCode = 0;
};

// The request for `ctl ACTION KEY=VALUE ...`: "sim_" + ACTION when that is a control command,
// else ACTION itself; values that read as JSON (true, 12, [..]) keep their type, others are strings.
// Nothing, with the reason in *error, for bad arguments.
std::optional<QJsonObject> controlRequest(const QStringList& arguments, QString* error);

// arguments: everything after "ctl".
CliResult runControlCli(const QStringList& arguments, const Paths& paths);

} // namespace vantrel::sim
