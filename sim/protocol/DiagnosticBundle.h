#pragma once
// A diagnostic bundle: a folder of plain files about the simulated Mac and the daemon that
// the user reviews and sends by hand. Secrets (webhook address, user id) never go in.
#include <optional>

#include <QString>
#include <QStringList>

#include "daemonserver/DiagnosticExport.h"
#include "sim/protocol/SimContext.h"

namespace vantrel::sim {

using daemonserver::DiagnosticBundleRequest;

// The simulator's own files of a bundle, in order (the shared ones come around them).
const QStringList& simDiagnosticFiles();

// Writes the bundle folder under <state>/diagnostics and returns its path, or nothing (and
// the reason in *error).
std::optional<QString> writeDiagnosticBundle(SimContext& ctx, const DiagnosticBundleRequest& request, QString* error);

} // namespace vantrel::sim
