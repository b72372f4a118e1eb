// Updates (the distribution's package manager installs them, so the daemon does not), policy
// evidence, diagnostic events and the diagnostic package.
#include "base/JsonAccess.h"
#include "daemonserver/DiagnosticExport.h"
#include "daemonserver/Replies.h"
#include "node/daemon/NodeCommands.h"
#include "node/daemon/NodeDiagnosticBundle.h"

namespace vantrel::node {

using daemonserver::errorReply;
using daemonserver::invalidArgument;
using daemonserver::okReply;

namespace {

QJsonObject updatesUnsupported(NodeContext&, const QJsonObject&)
{
    return unsupportedPlatform(
        QStringLiteral("Updates are not installed by the daemon on this platform: update the package "
                       "through the distribution's package manager."));
}

std::optional<int> limitOf(const QJsonObject& request, QJsonObject& error)
{
    const auto limit = json::integer(request, QStringLiteral("limit"));
    if (!limit || *limit < 1 || *limit > 500) {
        error = invalidArgument(QStringLiteral("limit"), QStringLiteral("an integer from 1 to 500"));
        return std::nullopt;
    }
    return static_cast<int>(*limit);
}

QJsonObject evidenceEvents(NodeContext& ctx, const QJsonObject& request)
{
    QJsonObject error;
    const auto limit = limitOf(request, error);
    if (!limit)
        return error;
    QString prefix;
    if (request.contains(QStringLiteral("policy_prefix"))) {
        const auto p = json::string(request, QStringLiteral("policy_prefix"));
        if (!p)
            return invalidArgument(QStringLiteral("policy_prefix"), QStringLiteral("a string"));
        prefix = *p;
    }
    return okReply({{QStringLiteral("events"), ctx.events(*limit, prefix)}});
}

QJsonObject diagnosticEvents(NodeContext& ctx, const QJsonObject& request)
{
    QJsonObject error;
    const auto limit = limitOf(request, error);
    if (!limit)
        return error;
    return okReply({{QStringLiteral("events"), ctx.diagnostics(*limit)}});
}

QJsonObject packagePreview(NodeContext&, const QJsonObject& request)
{
    const auto names = json::strictBool(request, QStringLiteral("include_process_names"));
    const auto context = json::strictBool(request, QStringLiteral("include_report_context"));
    if (!names || !context)
        return invalidArgument(!names ? QStringLiteral("include_process_names")
                                      : QStringLiteral("include_report_context"),
                               QStringLiteral("a boolean"));
    return daemonserver::diagnosticPreviewReply(nodeDiagnosticFiles(), *names);
}

} // namespace

QJsonObject unsupportedPlatform(const QString& message)
{
    return errorReply(QStringLiteral("ERR_UNSUPPORTED_PLATFORM"), message,
                      {{QStringLiteral("reason"), QStringLiteral("unsupported_platform")}});
}

void addNodeServiceCommands(NodeCommandTable& table)
{
    for (const char* name : {"verify_update_package", "install_update_package", "get_update_installation_state",
                             "ack_update_app_relaunch"})
        table.add(QLatin1String(name), updatesUnsupported, false,
                  QLatin1String(name).startsWith(QLatin1String("get_")));
    table.add(QStringLiteral("get_evidence_events"), evidenceEvents, false, true);
    table.add(QStringLiteral("get_diagnostic_events"), diagnosticEvents, false, true);
    table.add(QStringLiteral("get_diagnostic_package_preview"), packagePreview, false, true);
    table.add(
        QStringLiteral("export_diagnostic_bundle"),
        [](NodeContext& ctx, const QJsonObject& request) {
        const QJsonObject policy
            = nodeCommandTable().find(QStringLiteral("get_power_policy_state"))->handler(ctx, QJsonObject());
        return exportNodeDiagnosticBundle(ctx, request, policy);
        },
        false);
}

NodeCommandTable nodeCommandTable()
{
    NodeCommandTable table;
    addNodeStatusCommands(table);
    addNodeFanCommands(table);
    addNodeBatteryCommands(table);
    addNodeSleepCommands(table);
    addNodeSettingsCommands(table);
    addNodeServiceCommands(table);
    return table;
}

} // namespace vantrel::node
