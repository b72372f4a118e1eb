#include "node/power/ChargeControl.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

#include <QDir>

#include "node/power/SysfsChoices.h"
#include "platform/linux/LinuxPowerSupply.h"

namespace vantrel::node {

struct ChargeControl::Layout {
    QString backend;
    QString batteryName; // empty for the machine-wide IdeaPad conservation mode
    // Paths of the attributes the driver lets us write; empty when it does not.
    QString end;
    QString start;
    QString chargeTypes;
    QString behaviour;
    QString conservation;
    // What the device accepts.
    int endMin = 1;
    int startMax = 99;
    int startMin = 0;
    int minGap = 1; // start stays at least this far below end
    std::vector<int> accepted; // only these end values, when not empty

    // Whether this layout carries a charge limit (a battery may offer only charge_behaviour).
    bool limits() const { return !backend.isEmpty(); }
};

namespace {

const QString kComponent = QStringLiteral("ChargeControl");

QString writable(const QString& path) { return sysfsWritable(path) ? path : QString(); }

SysfsWriteResult failure(const QString& code, const QString& detail, int applied = -1)
{
    SysfsWriteResult r;
    r.code = code;
    r.detail = detail;
    r.applied = applied;
    return r;
}

// The accepted value nearest to wanted; between two equally near, the lower protects the battery more.
int nearestAccepted(const std::vector<int>& accepted, int wanted)
{
    int best = accepted.front();
    for (int v : accepted)
        if (std::abs(v - wanted) < std::abs(best - wanted)
            || (std::abs(v - wanted) == std::abs(best - wanted) && v < best))
            best = v;
    return best;
}

QString appended(const QString& detail, const QString& more)
{
    return detail.isEmpty() ? more : detail + QStringLiteral("; ") + more;
}

} // namespace

ChargeControl::ChargeControl(QString root)
    : ChargeControl(std::move(root), writeSysfsFile)
{ }

ChargeControl::ChargeControl(QString root, SysfsWriter writer)
    : root_(std::move(root))
    , writer_(std::move(writer))
{ }

std::vector<ChargeControl::Layout> ChargeControl::detect() const
{
    std::vector<Layout> layouts;
    const QString supplies = QDir::cleanPath(root_ + QStringLiteral("/sys/class/power_supply"));
    for (const auto& battery : LinuxPowerSupply(supplies).readState().batteries) {
        Layout l;
        l.batteryName = battery.name;
        const QString folder = supplies + QLatin1Char('/') + battery.name + QLatin1Char('/');
        l.end = writable(folder + QStringLiteral("charge_control_end_threshold"));
        l.start = writable(folder + QStringLiteral("charge_control_start_threshold"));
        l.chargeTypes = writable(folder + QStringLiteral("charge_types"));
        l.behaviour = writable(folder + QStringLiteral("charge_behaviour"));
        const bool customTypes = !l.chargeTypes.isEmpty()
            && SysfsChoices::parse(readSysfsText(l.chargeTypes).value_or(QString())).offers(QStringLiteral("Custom"));
        if (l.batteryName == QStringLiteral("macsmc-battery") && !l.end.isEmpty()) {
            l.backend = QStringLiteral("macsmc");
            l.start.clear();
            l.accepted.assign(std::begin(kMacSmcLimits), std::end(kMacSmcLimits));
        } else if (customTypes && !l.end.isEmpty() && !l.start.isEmpty()) {
            // Dell's firmware takes a custom window of start 50…95 and end 55…100, five apart.
            l.backend = QStringLiteral("dell_charge_types");
            l.startMin = 50;
            l.startMax = 95;
            l.endMin = 55;
            l.minGap = 5;
        } else if (!l.end.isEmpty() && !l.start.isEmpty()) {
            l.backend = QStringLiteral("thresholds");
        } else if (!l.end.isEmpty()) {
            l.backend = QStringLiteral("end_threshold");
            l.start.clear();
        } else {
            l.start.clear();
        }
        layouts.push_back(std::move(l));
    }
    if (std::none_of(layouts.begin(), layouts.end(), [](const Layout& l) { return l.limits(); })) {
        // IdeaPad conservation mode holds the whole machine at its fixed level.
        const QDir ideapad(QDir::cleanPath(root_ + QStringLiteral("/sys/bus/platform/drivers/ideapad_acpi")));
        for (const QString& device : ideapad.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
            Layout l;
            l.conservation = writable(ideapad.filePath(device + QStringLiteral("/conservation_mode")));
            if (l.conservation.isEmpty())
                continue;
            l.backend = QStringLiteral("ideapad_conservation");
            l.accepted = {kConservationLimit, 100};
            layouts.push_back(std::move(l));
            break;
        }
    }
    return layouts;
}

ChargeCapabilities ChargeControl::capabilities() const
{
    const std::vector<Layout> layouts = detect();
    ChargeCapabilities c;
    bool everyStart = true;
    for (const Layout& l : layouts) {
        if (!l.limits())
            continue;
        if (c.backend.isEmpty())
            c.backend = l.backend;
        c.endThreshold = c.endThreshold || (!l.end.isEmpty() && l.backend != QStringLiteral("ideapad_conservation"));
        everyStart = everyStart && !l.start.isEmpty();
        if (!l.accepted.empty() && !c.fixedLimitOnly) {
            c.fixedLimitOnly = true;
            c.fixedLimit = l.accepted.front();
        }
    }
    c.startThreshold = !c.backend.isEmpty() && everyStart;
    // A behaviour counts when every battery with a charge_behaviour file offers it.
    bool anyBehaviour = false;
    bool inhibit = true;
    bool discharge = true;
    for (const Layout& l : layouts) {
        if (l.behaviour.isEmpty())
            continue;
        anyBehaviour = true;
        const SysfsChoices choices = SysfsChoices::parse(readSysfsText(l.behaviour).value_or(QString()));
        inhibit = inhibit && choices.offers(behaviourName(ChargeBehaviour::InhibitCharge));
        discharge = discharge && choices.offers(behaviourName(ChargeBehaviour::ForceDischarge));
    }
    c.inhibitCharge = anyBehaviour && inhibit;
    c.forceDischarge = anyBehaviour && discharge;
    return c;
}

SysfsWriteResult ChargeControl::setLimit(int endPercent, std::optional<int> startPercent)
{
    if (endPercent < 1 || endPercent > 100)
        return failure(QStringLiteral("out_of_range"),
                       QStringLiteral("end threshold %1 is not within 1…100").arg(endPercent));
    if (startPercent && (*startPercent < 0 || *startPercent >= endPercent))
        return failure(QStringLiteral("out_of_range"),
                       QStringLiteral("start threshold %1 is not within 0…%2").arg(*startPercent).arg(endPercent - 1));
    std::vector<Layout> layouts = detect();
    std::erase_if(layouts, [](const Layout& l) { return !l.limits(); });
    if (layouts.empty())
        return failure(QStringLiteral("unsupported"), QStringLiteral("this machine offers no charge limit"));
    if (startPercent && std::any_of(layouts.begin(), layouts.end(), [](const Layout& l) { return l.start.isEmpty(); }))
        return failure(QStringLiteral("unsupported"), QStringLiteral("this machine offers no start threshold"));
    std::vector<std::pair<QString, SysfsWriteResult>> results;
    for (const Layout& l : layouts)
        results.emplace_back(l.batteryName, limitOne(l, endPercent, startPercent));
    return combined(results);
}

SysfsWriteResult ChargeControl::limitOne(const Layout& l, int endPercent, std::optional<int> startPercent)
{
    QString detail;
    int end = endPercent;
    if (!l.accepted.empty())
        end = nearestAccepted(l.accepted, endPercent);
    else
        end = std::clamp(endPercent, l.endMin, 100);
    std::optional<int> start = startPercent;
    if (start)
        start = std::clamp(*start, l.startMin, std::max(l.startMin, std::min(l.startMax, end - l.minGap)));
    if (end != endPercent)
        detail = QStringLiteral("end threshold %1 clamped to %2").arg(endPercent).arg(end);
    if (start && *start != *startPercent)
        detail = appended(detail, QStringLiteral("start threshold %1 clamped to %2").arg(*startPercent).arg(*start));

    if (l.backend == QStringLiteral("ideapad_conservation")) {
        SysfsWriteResult r = writeFixedLimit(l, end);
        r.detail = appended(detail, r.detail);
        return r;
    }
    SysfsWriteResult r = writeThresholds(l, end, start, detail);
    if (!r.ok || l.backend != QStringLiteral("dell_charge_types"))
        return r;
    // Dell's firmware follows the thresholds only in its "Custom" charge type.
    const SysfsWriteResult mode = writeChoice(l.chargeTypes, QStringLiteral("Custom"));
    if (!mode.ok)
        return failure(mode.code, appended(r.detail, mode.detail), r.applied);
    return r;
}

SysfsWriteResult ChargeControl::clearLimit()
{
    std::vector<std::pair<QString, SysfsWriteResult>> results;
    for (const Layout& l : detect())
        if (l.limits())
            results.emplace_back(l.batteryName, clearOne(l));
    if (results.empty())
        return failure(QStringLiteral("unsupported"), QStringLiteral("this machine offers no charge limit"));
    return combined(results);
}

SysfsWriteResult ChargeControl::clearOne(const Layout& l)
{
    if (l.backend == QStringLiteral("ideapad_conservation"))
        return writeFixedLimit(l, 100);
    if (l.backend == QStringLiteral("dell_charge_types")) {
        const SysfsChoices types = SysfsChoices::parse(readSysfsText(l.chargeTypes).value_or(QString()));
        if (types.offers(QStringLiteral("Standard"))) {
            SysfsWriteResult r = writeChoice(l.chargeTypes, QStringLiteral("Standard"));
            if (r.ok)
                r.applied = 100;
            return r;
        }
    }
    // A start threshold of 0 lets the battery charge whenever it is below the end threshold.
    return writeThresholds(l, 100, l.start.isEmpty() ? std::nullopt : std::optional(0), {});
}

SysfsWriteResult ChargeControl::setBehaviour(ChargeBehaviour behaviour)
{
    std::vector<Layout> layouts = detect();
    std::erase_if(layouts, [](const Layout& l) { return l.behaviour.isEmpty(); });
    const QString name = behaviourName(behaviour);
    if (layouts.empty())
        return failure(QStringLiteral("unsupported"), QStringLiteral("this machine offers no charge behaviour"));
    // Every battery takes it or none is written.
    for (const Layout& l : layouts)
        if (!SysfsChoices::parse(readSysfsText(l.behaviour).value_or(QString())).offers(name))
            return failure(QStringLiteral("unsupported"),
                           QStringLiteral("charge behaviour \"%1\" is not offered").arg(name));
    std::vector<std::pair<QString, SysfsWriteResult>> results;
    for (const Layout& l : layouts)
        results.emplace_back(l.batteryName, writeChoice(l.behaviour, name));
    return combined(results);
}

SysfsWriteResult ChargeControl::combined(const std::vector<std::pair<QString, SysfsWriteResult>>& results)
{
    if (results.size() == 1)
        return results.front().second;
    SysfsWriteResult r;
    r.ok = true;
    for (const auto& [battery, one] : results) {
        if (!one.ok && r.ok) {
            r.ok = false;
            r.code = one.code;
        }
        // The battery allowed furthest decides how far the machine charges.
        r.applied = std::max(r.applied, one.applied);
        if (!one.detail.isEmpty())
            r.detail = appended(r.detail, battery + QStringLiteral(": ") + one.detail);
    }
    return r;
}

SysfsWriteResult ChargeControl::writeThresholds(const Layout& l, int end, std::optional<int> start, QString detail)
{
    // Some kernels refuse a start threshold at or above the end threshold, so the order keeps
    // start below end throughout: lowering the end writes the start first, raising it the end first.
    const int currentEnd = readSysfsInt(l.end).value_or(100);
    std::vector<std::pair<QString, int>> writes;
    if (start && end < currentEnd)
        writes = {{l.start, *start}, {l.end, end}};
    else if (start)
        writes = {{l.end, end}, {l.start, *start}};
    else
        writes = {{l.end, end}};

    for (const auto& [path, value] : writes) {
        const SysfsWriteOutcome out = writeAndReadBack(writer_, kComponent, path, QString::number(value));
        const int appliedEnd = readSysfsInt(l.end).value_or(-1);
        if (!out.written())
            return failure(QStringLiteral("write_failed"),
                           appended(detail, QStringLiteral("%1: %2").arg(path, out.error)), appliedEnd);
        if (out.readBack != QString::number(value))
            return failure(QStringLiteral("readback_mismatch"),
                           appended(detail,
                                    QStringLiteral("%1 reads \"%2\" after writing %3")
                                        .arg(path, out.readBack.value_or(QString()))
                                        .arg(value)),
                           appliedEnd);
    }
    SysfsWriteResult r;
    r.ok = true;
    r.applied = readSysfsInt(l.end).value_or(end);
    r.detail = detail;
    return r;
}

SysfsWriteResult ChargeControl::writeChoice(const QString& path, const QString& choice) const
{
    const SysfsWriteOutcome out = writeAndReadBack(writer_, kComponent, path, choice);
    if (!out.written())
        return failure(QStringLiteral("write_failed"), QStringLiteral("%1: %2").arg(path, out.error));
    const QString current = SysfsChoices::parse(out.readBack.value_or(QString())).current;
    if (current != choice)
        return failure(QStringLiteral("readback_mismatch"),
                       QStringLiteral("%1 shows \"%2\" after writing \"%3\"").arg(path, current, choice));
    SysfsWriteResult r;
    r.ok = true;
    return r;
}

SysfsWriteResult ChargeControl::writeFixedLimit(const Layout& l, int end)
{
    const QString value = end < 100 ? QStringLiteral("1") : QStringLiteral("0");
    const SysfsWriteOutcome out = writeAndReadBack(writer_, kComponent, l.conservation, value);
    const auto appliedFrom = [](const std::optional<QString>& text) {
        return text == QStringLiteral("1") ? kConservationLimit : text == QStringLiteral("0") ? 100 : -1;
    };
    if (!out.written())
        return failure(QStringLiteral("write_failed"), QStringLiteral("%1: %2").arg(l.conservation, out.error),
                       appliedFrom(out.readBack));
    if (out.readBack != value)
        return failure(QStringLiteral("readback_mismatch"),
                       QStringLiteral("%1 reads \"%2\" after writing %3")
                           .arg(l.conservation, out.readBack.value_or(QString()), value),
                       appliedFrom(out.readBack));
    SysfsWriteResult r;
    r.ok = true;
    r.applied = appliedFrom(out.readBack);
    return r;
}

std::optional<int> ChargeControl::currentLimit() const
{
    std::optional<int> highest;
    for (const Layout& l : detect()) {
        if (!l.limits())
            continue;
        const auto limit = currentLimitOf(l);
        if (!limit)
            return std::nullopt;
        highest = std::max(highest.value_or(0), *limit);
    }
    return highest;
}

std::optional<int> ChargeControl::currentLimitOf(const Layout& l)
{
    if (l.backend == QStringLiteral("ideapad_conservation")) {
        const auto on = readSysfsInt(l.conservation);
        return on ? std::optional(*on == 1 ? kConservationLimit : 100) : std::nullopt;
    }
    // Outside "Custom" Dell's firmware ignores the thresholds and picks its own charging.
    if (l.backend == QStringLiteral("dell_charge_types")
        && SysfsChoices::parse(readSysfsText(l.chargeTypes).value_or(QString())).current != QStringLiteral("Custom"))
        return 100;
    return readSysfsInt(l.end);
}

std::optional<int> ChargeControl::currentStart() const
{
    std::optional<int> start;
    bool first = true;
    for (const Layout& l : detect()) {
        if (l.start.isEmpty())
            continue;
        const auto one = readSysfsInt(l.start);
        if (!first && one != start)
            return std::nullopt;
        start = one;
        first = false;
    }
    return start;
}

std::optional<ChargeBehaviour> ChargeControl::currentBehaviour() const
{
    std::optional<ChargeBehaviour> behaviour;
    bool first = true;
    for (const Layout& l : detect()) {
        if (l.behaviour.isEmpty())
            continue;
        const QString current = SysfsChoices::parse(readSysfsText(l.behaviour).value_or(QString())).current;
        std::optional<ChargeBehaviour> one;
        for (ChargeBehaviour b :
             {ChargeBehaviour::Auto, ChargeBehaviour::InhibitCharge, ChargeBehaviour::ForceDischarge})
            if (current == behaviourName(b))
                one = b;
        if (!first && one != behaviour)
            return std::nullopt;
        behaviour = one;
        first = false;
    }
    return behaviour;
}

QString ChargeControl::behaviourName(ChargeBehaviour behaviour)
{
    switch (behaviour) {
    case ChargeBehaviour::Auto:
        return QStringLiteral("auto");
    case ChargeBehaviour::InhibitCharge:
        return QStringLiteral("inhibit-charge");
    case ChargeBehaviour::ForceDischarge:
        return QStringLiteral("force-discharge");
    }
    return {};
}

} // namespace vantrel::node
