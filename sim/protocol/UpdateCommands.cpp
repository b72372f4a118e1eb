// Update package verification, installation and its state.
#include <variant>

#include "base/JsonAccess.h"
#include "sim/protocol/CommandTable.h"

namespace vantrel::sim {

namespace {

struct PackageRequest {
    QString path, sha256, version, bundleVersion;
};

std::variant<PackageRequest, QJsonObject> packageRequest(const QJsonObject& r)
{
    PackageRequest p;
    const std::pair<const char*, QString*> keys[] = {{"pkg_path", &p.path},
                                                     {"expected_sha256", &p.sha256},
                                                     {"expected_version", &p.version},
                                                     {"expected_bundle_version", &p.bundleVersion}};
    for (const auto& [key, target] : keys) {
        const auto value = json::string(r, QLatin1String(key));
        if (!value || value->isEmpty())
            return invalidArgument(QLatin1String(key), QStringLiteral("a non-empty string"));
        *target = *value;
    }
    return p;
}

QJsonObject verificationFailure(const PackageVerification& v)
{
    return errorReply(v.code, v.message, {{QStringLiteral("verified"), false}});
}

QJsonObject verifyUpdatePackage(SimContext&, const QJsonObject& request)
{
    const auto parsed = packageRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    const auto& p = std::get<PackageRequest>(parsed);
    const auto v = PackageVerification::check(p.path, p.sha256, p.version, p.bundleVersion);
    if (!v.ok)
        return verificationFailure(v);
    return okReply({{QStringLiteral("verified"), true},
                    {QStringLiteral("pkg_path"), p.path},
                    {QStringLiteral("sha256"), v.sha256},
                    {QStringLiteral("version"), v.version},
                    {QStringLiteral("bundle_version"), v.bundleVersion},
                    {QStringLiteral("size_bytes"), v.sizeBytes}});
}

QJsonObject installUpdatePackage(SimContext& ctx, const QJsonObject& request)
{
    const auto parsed = packageRequest(request);
    if (const auto* error = std::get_if<QJsonObject>(&parsed))
        return *error;
    if (json::strictBool(request, QStringLiteral("user_confirmed")) != true)
        return errorReply(QStringLiteral("ERR_USER_CONFIRMATION_REQUIRED"),
                          QStringLiteral("The user has not confirmed the installation."));
    if (ctx.updates.inProgress())
        return errorReply(QStringLiteral("ERR_INSTALL_IN_PROGRESS"),
                          QStringLiteral("Another installation is still running."));
    const auto& p = std::get<PackageRequest>(parsed);
    const auto v = PackageVerification::check(p.path, p.sha256, p.version, p.bundleVersion);
    if (!v.ok)
        return verificationFailure(v);
    const QString id = ctx.updates.begin(v, ctx.mac.epochSeconds());
    ctx.diagnostic(QStringLiteral("info"), QStringLiteral("update"),
                   QStringLiteral("Installing %1 (%2) as %3").arg(v.version, v.bundleVersion, id));
    return okReply({{QStringLiteral("transaction_id"), id}, {QStringLiteral("state"), QStringLiteral("preparing")}});
}

QJsonObject updateInstallationState(SimContext& ctx, const QJsonObject&)
{
    const auto state = ctx.updates.state();
    if (!state)
        return errorReply(QStringLiteral("ERR_NO_UPDATE_TRANSACTION"), QStringLiteral("No installation has run."));
    return okReply(*state);
}

QJsonObject ackUpdateAppRelaunch(SimContext& ctx, const QJsonObject& request)
{
    const auto id = json::string(request, QStringLiteral("transaction_id"));
    if (!id)
        return invalidArgument(QStringLiteral("transaction_id"), QStringLiteral("a string"));
    if (!ctx.updates.acknowledge(*id, ctx.mac.epochSeconds()))
        return errorReply(QStringLiteral("ERR_TRANSACTION_MISMATCH"),
                          QStringLiteral("No installation with that transaction id."));
    return okReply({{QStringLiteral("transaction_id"), *id}});
}

} // namespace

void addUpdateCommands(CommandTable& table)
{
    table.add(QStringLiteral("verify_update_package"), verifyUpdatePackage, false);
    table.add(QStringLiteral("install_update_package"), installUpdatePackage, false);
    table.add(QStringLiteral("get_update_installation_state"), updateInstallationState, false, true);
    table.add(QStringLiteral("ack_update_app_relaunch"), ackUpdateAppRelaunch, false);
}

} // namespace vantrel::sim
