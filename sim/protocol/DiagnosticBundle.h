#pragma once
// A diagnostic bundle: a folder of plain files about the simulated Mac and the daemon that
// the user reviews and sends by hand. Secrets (webhook address, user id) never go in.
#include <optional>

#include <QString>
#include <QStringList>

#include "sim/protocol/SimContext.h"

namespace vantrel::sim {

struct DiagnosticBundleRequest {
    QString range;
    QString purpose;
    QString reasonCode;
    bool includeReportContext = false;
    bool includeProcessNames = false;
    std::optional<QString> supportCaseId;
};

// The files every bundle holds, in order; "process_summary.json" joins them when process names are included.
const QStringList& diagnosticBundleFiles();
const QStringList& diagnosticExcludedData();

// Writes the bundle folder under <state>/diagnostics and returns its path, or nothing (and
// the reason in *error).
std::optional<QString> writeDiagnosticBundle(SimContext& ctx, const DiagnosticBundleRequest& request, QString* error);

} // namespace vantrel::sim
