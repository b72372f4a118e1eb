// The simulator's private "sim_*" controls: inputs of the simulated Mac, the manual clock,
// fault injection, the platform facts the application's sim backend reports, and a state dump.
#include <QJsonArray>

#include "base/JsonAccess.h"
#include "sim/model/HardwareDescription.h"
#include "sim/protocol/CommandTable.h"
#include "sim/protocol/FaultStorm.h"
#include "sim/protocol/Readbacks.h"

namespace vantrel::sim {

namespace {

constexpr int kMaxStepSeconds = 7 * 24 * 3600;

std::optional<double> percentArg(const QJsonObject& r, const char* key)
{
    const auto v = json::number(r, QLatin1String(key));
    return v && *v >= 0 && *v <= 100 ? v : std::nullopt;
}

QJsonObject setLoad(SimContext& ctx, const QJsonObject& r)
{
    SimulatedMac& mac = ctx.mac;
    if (r.contains(QStringLiteral("cpu_percent")) && !percentArg(r, "cpu_percent"))
        return invalidArgument(QStringLiteral("cpu_percent"), QStringLiteral("a percent from 0 to 100"));
    if (r.contains(QStringLiteral("gpu_percent")) && !percentArg(r, "gpu_percent"))
        return invalidArgument(QStringLiteral("gpu_percent"), QStringLiteral("a percent from 0 to 100"));
    const auto ambient = json::number(r, QStringLiteral("ambient_celsius"));
    if (r.contains(QStringLiteral("ambient_celsius")) && (!ambient || *ambient < -10 || *ambient > 50))
        return invalidArgument(QStringLiteral("ambient_celsius"), QStringLiteral("a temperature from -10 to 50"));
    mac.setLoad(percentArg(r, "cpu_percent").value_or(mac.cpuLoad() * 100.0),
                percentArg(r, "gpu_percent").value_or(mac.gpuLoad() * 100.0));
    if (ambient)
        mac.setAmbient(*ambient);
    mac.settle();
    return okReply({{QStringLiteral("cpu_percent"), mac.cpuLoad() * 100.0},
                    {QStringLiteral("gpu_percent"), mac.gpuLoad() * 100.0},
                    {QStringLiteral("ambient_celsius"), mac.ambient()}});
}

QJsonObject setAdapter(SimContext& ctx, const QJsonObject& r)
{
    if (!ctx.mac.battery())
        return errorReply(QStringLiteral("ERR_NO_BATTERY"), QStringLiteral("A desktop runs from its built-in supply."));
    const auto connected = json::strictBool(r, QStringLiteral("connected"));
    if (!connected)
        return invalidArgument(QStringLiteral("connected"), QStringLiteral("a boolean"));
    std::optional<int> watts;
    if (r.contains(QStringLiteral("watts"))) {
        const auto w = json::integer(r, QStringLiteral("watts"));
        if (!w || *w < 5 || *w > 240)
            return invalidArgument(QStringLiteral("watts"), QStringLiteral("an integer from 5 to 240"));
        watts = static_cast<int>(*w);
    }
    ctx.mac.setAdapter(*connected, watts);
    ctx.mac.settle();
    return okReply(
        {{QStringLiteral("connected"), ctx.mac.adapterConnected()}, {QStringLiteral("watts"), ctx.mac.adapterWatts()}});
}

QJsonObject setLid(SimContext& ctx, const QJsonObject& r)
{
    if (!ctx.mac.profile().hasBattery)
        return errorReply(QStringLiteral("ERR_NO_LID"), QStringLiteral("A desktop has no lid."));
    const auto closed = json::strictBool(r, QStringLiteral("closed"));
    if (!closed)
        return invalidArgument(QStringLiteral("closed"), QStringLiteral("a boolean"));
    ctx.mac.setLidClosed(*closed);
    ctx.mac.settle();
    return okReply({{QStringLiteral("closed"), *closed}});
}

QJsonObject setDisplays(SimContext& ctx, const QJsonObject& r)
{
    const auto count = json::integer(r, QStringLiteral("external_count"));
    if (!count || *count < 0 || *count > 8)
        return invalidArgument(QStringLiteral("external_count"), QStringLiteral("an integer from 0 to 8"));
    ctx.mac.setExternalDisplays(static_cast<int>(*count));
    ctx.mac.settle();
    return okReply({{QStringLiteral("external_count"), ctx.mac.externalDisplays()}});
}

QJsonObject setBattery(SimContext& ctx, const QJsonObject& r)
{
    Battery* b = ctx.mac.battery();
    if (!b)
        return errorReply(QStringLiteral("ERR_NO_BATTERY"), QStringLiteral("This Mac has no battery."));
    if (r.contains(QStringLiteral("percent"))) {
        const auto p = percentArg(r, "percent");
        if (!p)
            return invalidArgument(QStringLiteral("percent"), QStringLiteral("a percent from 0 to 100"));
        b->setPercent(*p);
    }
    if (r.contains(QStringLiteral("temperature"))) {
        const auto t = json::number(r, QStringLiteral("temperature"));
        if (!t || *t < -20 || *t > 90)
            return invalidArgument(QStringLiteral("temperature"), QStringLiteral("a temperature from -20 to 90"));
        b->setTemperature(*t, json::strictBool(r, QStringLiteral("hold_temperature")).value_or(false));
    } else if (json::strictBool(r, QStringLiteral("hold_temperature")) == false) {
        b->releaseTemperature();
    }
    if (r.contains(QStringLiteral("cycle_count"))) {
        const auto c = json::integer(r, QStringLiteral("cycle_count"));
        if (!c || *c < 0 || *c > 100000)
            return invalidArgument(QStringLiteral("cycle_count"), QStringLiteral("a non-negative integer"));
        b->setCycleCount(static_cast<int>(*c));
    }
    if (r.contains(QStringLiteral("charger_faults"))) {
        const auto list = json::array(r, QStringLiteral("charger_faults"));
        if (!list)
            return invalidArgument(QStringLiteral("charger_faults"), QStringLiteral("an array of feature names"));
        ctx.chargerFaults.clear();
        for (const auto& v : *list)
            ctx.chargerFaults.insert(v.toString());
    }
    ctx.mac.settle();
    return okReply({{QStringLiteral("percent"), b->percent()},
                    {QStringLiteral("temperature"), rounded(b->temperature())},
                    {QStringLiteral("cycle_count"), b->cycleCount()}});
}

QJsonObject step(SimContext& ctx, const QJsonObject& r)
{
    if (!ctx.config.manualClock)
        return errorReply(QStringLiteral("ERR_NOT_MANUAL_CLOCK"),
                          QStringLiteral("Start vantrel-sim with --manual-clock to step it."));
    const auto seconds = json::integer(r, QStringLiteral("seconds"));
    if (!seconds || *seconds < 1 || *seconds > kMaxStepSeconds)
        return invalidArgument(QStringLiteral("seconds"), QStringLiteral("an integer from 1 to 604800"));
    ctx.advance(static_cast<int>(*seconds));
    return okReply({{QStringLiteral("epoch_seconds"), ctx.mac.epochSeconds()},
                    {QStringLiteral("uptime_seconds"), ctx.mac.uptimeSeconds()}});
}

QJsonObject stateDump(SimContext& ctx, const QJsonObject&)
{
    const SimulatedMac& mac = ctx.mac;
    const SensorReadings s = mac.sensors();
    QJsonArray fans;
    for (int i = 0; i < mac.fans().count(); ++i) {
        const FanState& f = mac.fans().fan(i);
        fans.append(QJsonObject{
            {QStringLiteral("actual_rpm"), rounded(f.actualRpm)},
            {QStringLiteral("target_rpm"), rounded(f.targetRpm)},
            {QStringLiteral("min_rpm"), f.spec.minRpm},
            {QStringLiteral("max_rpm"), f.spec.maxRpm},
            {QStringLiteral("mode"), f.mode == FanMode::Manual ? QStringLiteral("manual") : QStringLiteral("auto")}});
    }
    QJsonObject battery;
    if (const Battery* b = mac.battery())
        battery = QJsonObject{{QStringLiteral("percent"), b->percent()},
                              {QStringLiteral("charge_mAh"), rounded(b->chargeMah())},
                              {QStringLiteral("current_mA"), rounded(b->currentMa())},
                              {QStringLiteral("voltage"), rounded(b->voltage())},
                              {QStringLiteral("temperature"), rounded(b->temperature())},
                              {QStringLiteral("cycle_count"), b->cycleCount()}};
    return okReply({
        {QStringLiteral("model"), mac.profile().name},
        {QStringLiteral("manual_clock"), ctx.config.manualClock},
        {QStringLiteral("epoch_seconds"), mac.epochSeconds()},
        {QStringLiteral("uptime_seconds"), mac.uptimeSeconds()},
        {QStringLiteral("cpu_load_percent"), mac.cpuLoad() * 100.0},
        {QStringLiteral("gpu_load_percent"), mac.gpuLoad() * 100.0},
        {QStringLiteral("ambient_celsius"), mac.ambient()},
        {QStringLiteral("system_power_watts"), rounded(mac.systemWatts())},
        {QStringLiteral("sensors"),
         QJsonObject{{QStringLiteral("cpu"), rounded(s.cpuAverage)},
                     {QStringLiteral("gpu"), rounded(s.gpu)},
                     {QStringLiteral("ssd"), rounded(s.ssd[0])},
                     {QStringLiteral("memory_vr"), rounded(s.memoryVr)}}},
        {QStringLiteral("fans"), fans},
        {QStringLiteral("battery"), battery},
        {QStringLiteral("power_policy"), powerPolicyReadback(ctx)},
        // What the application last asked for; power_policy shows what is in effect.
        {QStringLiteral("system_sleep_requested_by_vantrel"), mac.sleep().requested()},
        {QStringLiteral("hardware"), hardwareDescription(mac)},
        {QStringLiteral("app_lease_active"), mac.appLeaseActive()},
        {QStringLiteral("app_heartbeats"), mac.heartbeats()},
        {QStringLiteral("faults"), ctx.faults.list()},
        {QStringLiteral("storm"), ctx.faults.stormState()},
        {QStringLiteral("charger_faults"),
         QJsonArray::fromStringList(QStringList(ctx.chargerFaults.begin(), ctx.chargerFaults.end()))},
        {QStringLiteral("state_directory"), ctx.config.stateDirectory},
    });
}

QJsonObject addFault(SimContext& ctx, const QJsonObject& r)
{
    const auto command = json::string(r, QStringLiteral("command"));
    if (!command || command->isEmpty())
        return invalidArgument(QStringLiteral("command"), QStringLiteral("a command name or \"*\""));
    if (*command == QLatin1String("sim_fault") || *command == QLatin1String("sim_clear_faults"))
        return errorReply(QStringLiteral("ERR_INVALID_ARGUMENT"),
                          QStringLiteral("The fault controls themselves cannot be faulted."));
    QString error;
    const auto fault = Fault::fromRequest(r, &error);
    if (!fault)
        return errorReply(QStringLiteral("ERR_INVALID_ARGUMENT"), error);
    ctx.faults.add(*command, *fault);
    ctx.diagnostic(QStringLiteral("warning"), QStringLiteral("faults"),
                   QStringLiteral("Fault %1 armed for %2").arg(faultModeName(fault->mode), *command));
    return okReply({{QStringLiteral("faults"), ctx.faults.list()}});
}

QJsonObject clearFaults(SimContext& ctx, const QJsonObject& r)
{
    ctx.faults.clear(json::string(r, QStringLiteral("command")).value_or(QString()));
    return okReply({{QStringLiteral("faults"), ctx.faults.list()}});
}

// "active" (default true), "seed" (an integer, default 1) and "rate" (the share of requests
// faulted, 0 to 1, default 0.5); "active" false stops the storm and keeps its figures.
QJsonObject storm(SimContext& ctx, const QJsonObject& r)
{
    const auto active = r.contains(QStringLiteral("active")) ? json::strictBool(r, QStringLiteral("active"))
                                                             : std::optional<bool>(true);
    if (!active)
        return invalidArgument(QStringLiteral("active"), QStringLiteral("a boolean"));
    if (!*active) {
        ctx.faults.stopStorm();
        ctx.diagnostic(QStringLiteral("info"), QStringLiteral("faults"), QStringLiteral("Fault storm stopped"));
        return okReply({{QStringLiteral("storm"), ctx.faults.stormState()}});
    }
    StormSettings settings;
    if (r.contains(QStringLiteral("seed"))) {
        const auto seed = json::integer(r, QStringLiteral("seed"));
        if (!seed || *seed < 0 || *seed > 0xFFFFFFFFLL)
            return invalidArgument(QStringLiteral("seed"), QStringLiteral("an integer from 0 to 4294967295"));
        settings.seed = static_cast<quint32>(*seed);
    }
    if (r.contains(QStringLiteral("rate"))) {
        const auto rate = json::number(r, QStringLiteral("rate"));
        if (!rate || *rate < 0 || *rate > 1)
            return invalidArgument(QStringLiteral("rate"), QStringLiteral("a share from 0 to 1"));
        settings.rate = *rate;
    }
    ctx.faults.startStorm(settings);
    ctx.diagnostic(QStringLiteral("warning"), QStringLiteral("faults"),
                   QStringLiteral("Fault storm started (seed %1, rate %2)").arg(settings.seed).arg(settings.rate));
    return okReply({{QStringLiteral("storm"), ctx.faults.stormState()}});
}

// "active", and optionally how the application describes its display: "name", "width",
// "height" (pixels), "vendor_id", "product_id", "serial_number". Answers the display's id.
QJsonObject setVirtualDisplay(PlatformState& p, const QJsonObject& r)
{
    const auto active = json::strictBool(r, QStringLiteral("active"));
    if (!active)
        return invalidArgument(QStringLiteral("active"), QStringLiteral("a boolean"));
    VirtualDisplayEntry entry;
    entry.name = json::string(r, QStringLiteral("name")).value_or(QString());
    const std::pair<const char*, int*> numbers[] = {
        {"width", &entry.width},
        {"height", &entry.height},
        {"vendor_id", &entry.vendorId},
        {"product_id", &entry.productId},
        {"serial_number", &entry.serialNumber},
    };
    for (const auto& [key, field] : numbers) {
        const QString name = QLatin1String(key);
        if (!r.contains(name))
            continue;
        const auto v = json::integer(r, name);
        if (!v || *v < 0 || *v > 0x7FFFFFFF)
            return invalidArgument(name, QStringLiteral("a non-negative integer"));
        *field = static_cast<int>(*v);
    }
    return okReply({{QStringLiteral("display_id"), p.setVirtualDisplayActive(*active, entry)}});
}

QJsonObject platform(SimContext& ctx, const QJsonObject& r)
{
    PlatformState& p = ctx.mac.platform();
    const QString action = json::string(r, QStringLiteral("action")).value_or(QString());
    if (action == QLatin1String("create_assertion")) {
        const auto type = json::string(r, QStringLiteral("type"));
        const auto name = json::string(r, QStringLiteral("name"));
        if (!type || type->isEmpty() || !name)
            return invalidArgument(QStringLiteral("type"), QStringLiteral("an assertion type, with a \"name\" string"));
        return okReply({{QStringLiteral("assertion_id"), p.createAssertion(*type, *name, ctx.requestPeerPid)}});
    }
    if (action == QLatin1String("release_assertion")) {
        const auto id = json::integer(r, QStringLiteral("assertion_id"));
        if (!id)
            return invalidArgument(QStringLiteral("assertion_id"), QStringLiteral("an integer"));
        if (!p.releaseAssertion(static_cast<int>(*id)))
            return errorReply(QStringLiteral("ERR_NO_SUCH_ASSERTION"),
                              QStringLiteral("No assertion %1 is held.").arg(*id));
        return okReply();
    }
    if (action == QLatin1String("lock_screen")) {
        p.requestScreenLock();
        return okReply({{QStringLiteral("screen_lock_requests"), p.screenLockRequests()}});
    }
    if (action == QLatin1String("display_sleep")) {
        p.requestDisplaySleep();
        return okReply({{QStringLiteral("display_sleep_requests"), p.displaySleepRequests()}});
    }
    if (action == QLatin1String("set_virtual_display"))
        return setVirtualDisplay(p, r);
    if (action == QLatin1String("set_shield_visible")) {
        const auto value = json::strictBool(r, QStringLiteral("visible"));
        if (!value)
            return invalidArgument(QStringLiteral("visible"), QStringLiteral("a boolean"));
        p.setShieldVisible(*value);
        return okReply();
    }
    if (action == QLatin1String("set_accessibility")) {
        const auto trusted = json::strictBool(r, QStringLiteral("trusted"));
        if (!trusted)
            return invalidArgument(QStringLiteral("trusted"), QStringLiteral("a boolean"));
        const auto automation = json::strictBool(r, QStringLiteral("automation_allowed"));
        if (r.contains(QStringLiteral("automation_allowed")) && !automation)
            return invalidArgument(QStringLiteral("automation_allowed"), QStringLiteral("a boolean"));
        p.setAccessibilityTrusted(*trusted);
        if (automation)
            p.setAutomationAllowed(*automation);
        return okReply({{QStringLiteral("accessibility_trusted"), p.accessibilityTrusted()},
                        {QStringLiteral("automation_allowed"), p.automationAllowed()}});
    }
    if (action == QLatin1String("reset")) {
        p.reset();
        return okReply();
    }
    return invalidArgument(
        QStringLiteral("action"),
        QStringLiteral("create_assertion, release_assertion, lock_screen, display_sleep, set_virtual_display, "
                       "set_shield_visible, set_accessibility or reset"));
}

QJsonObject setOwnership(SimContext& ctx, const QJsonObject& r)
{
    const auto ownership = ownershipNamed(json::string(r, QStringLiteral("ownership")).value_or(QString()));
    if (!ownership)
        return invalidArgument(QStringLiteral("ownership"), QStringLiteral("production, debug or fenced"));
    ctx.ownership = *ownership;
    return okReply();
}

QJsonObject setUpdateOutcome(SimContext& ctx, const QJsonObject& r)
{
    const auto outcome = UpdateInstaller::outcomeNamed(json::string(r, QStringLiteral("outcome")).value_or(QString()));
    if (!outcome)
        return invalidArgument(
            QStringLiteral("outcome"),
            QStringLiteral("completed, rolled_back, recovery_failed, manual_recovery_required or launch_failed"));
    ctx.updates.setOutcome(*outcome);
    return okReply();
}

} // namespace

void addControlCommands(CommandTable& table)
{
    table.add(QStringLiteral("sim_load"), setLoad);
    table.add(QStringLiteral("sim_adapter"), setAdapter);
    table.add(QStringLiteral("sim_lid"), setLid);
    table.add(QStringLiteral("sim_displays"), setDisplays);
    table.add(QStringLiteral("sim_battery"), setBattery);
    table.add(QStringLiteral("sim_step"), step);
    table.add(QStringLiteral("sim_platform"), platform);
    table.add(QStringLiteral("sim_state"), stateDump, false);
    table.add(QStringLiteral("sim_fault"), addFault, false);
    table.add(QStringLiteral("sim_clear_faults"), clearFaults, false);
    table.add(QStringLiteral("sim_storm"), storm, false);
    table.add(QStringLiteral("sim_ownership"), setOwnership, false);
    table.add(QStringLiteral("sim_update_outcome"), setUpdateOutcome, false);
}

} // namespace vantrel::sim
