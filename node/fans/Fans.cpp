#include "node/fans/Fans.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include <QDir>

#include "base/Log.h"
#include "smc/LinuxSensorTree.h"
#include "smc/LinuxSmcKeys.h"

namespace vantrel::node {
namespace {

enum class ControlKind {
    None,
    Pwm, // pwmN (0…255) with pwmN_enable: 1 manual, 2 (or another driver value) automatic
    TargetRpm, // fanN_output (a target speed) with fanN_manual: 1 manual, 0 automatic
};

struct SafeChip {
    const char* name;
    ControlKind kind;
};

// Chips whose manual fan control is known to be safe to drive. Kept short on purpose: on other
// chips (Super-I/O nct67xx/it87, dell_smm, asus, macsmc_hwmon …) a pwm channel need not belong
// to the fan read next to it, or the firmware need not take the fan back reliably.
constexpr SafeChip kSafeChips[] = {
    // thinkpad_acpi offers pwm1 only when loaded with fan_control=1, that is when the owner allowed
    // it; the duty maps onto the embedded controller's own fan levels, and pwm1_enable 2 gives the
    // fan back to the controller.
    {"thinkpad", ControlKind::Pwm},
    // applesmc (Intel Macs): a target speed between the fan's own minimum and maximum, which
    // the SMC keeps to; fanN_manual 0 gives the fan back to the SMC.
    {"applesmc", ControlKind::TargetRpm},
};

// Drivers quantise the duty: thinkpad_acpi into eight levels, 255/7 apart.
constexpr int kPwmTolerance = 37;
constexpr int kRpmTolerance = 1;

const QString kFansComponent = QStringLiteral("Fans");

ControlKind safeKind(const QString& chip)
{
    for (const SafeChip& s : kSafeChips)
        if (chip == QLatin1String(s.name))
            return s.kind;
    return ControlKind::None;
}

int rpmOrUnknown(const QString& path)
{
    const auto v = smc::readRpm(path.toStdString());
    return v ? static_cast<int>(std::lround(*v)) : -1;
}

} // namespace

struct Fans::Channel {
    int index = 0;
    QString chip;
    QString input;
    QString min;
    QString max;
    QString modePath; // pwmN_enable or fanN_manual, when the chip has one
    QString valuePath; // pwmN or fanN_output
    ControlKind kind = ControlKind::None; // how this fan is controlled, None unless safe and writable
};

Fans::Fans(QString root)
    : Fans(std::move(root), writeSysfsFile)
{ }

Fans::Fans(QString root, SysfsWriter writer)
    : classFolder_(QDir::cleanPath(root + QStringLiteral("/sys/class")))
    , writer_(std::move(writer))
{ }

Fans::~Fans() { restoreAutomatic(); }

QVector<Fans::Channel> Fans::channels() const
{
    smc::LinuxSensorTree tree(classFolder_.toStdString());
    std::map<std::string, std::string> chipOfFolder;
    for (const auto& chip : tree.hwmonChips())
        for (const auto& fan : chip.fans)
            chipOfFolder[fan.folder] = chip.name;

    QVector<Channel> out;
    int index = 0;
    for (const smc::SensorChannel* fan : smc::systemFans(tree)) {
        Channel c;
        c.index = index++;
        c.chip = QString::fromStdString(chipOfFolder[fan->folder]);
        const QString folder = QString::fromStdString(fan->folder) + QLatin1Char('/');
        const QString n = QString::number(fan->number);
        c.input = QString::fromStdString(fan->input);
        c.min = folder + QStringLiteral("fan%1_min").arg(n);
        c.max = folder + QStringLiteral("fan%1_max").arg(n);
        const ControlKind wanted = safeKind(c.chip);
        if (wanted == ControlKind::TargetRpm) {
            c.modePath = folder + QStringLiteral("fan%1_manual").arg(n);
            c.valuePath = folder + QStringLiteral("fan%1_output").arg(n);
        } else {
            c.modePath = folder + QStringLiteral("pwm%1_enable").arg(n);
            c.valuePath = folder + QStringLiteral("pwm%1").arg(n);
        }
        bool usable = wanted != ControlKind::None && sysfsWritable(c.modePath) && sysfsWritable(c.valuePath);
        // A target speed needs the range it lies in.
        if (usable && wanted == ControlKind::TargetRpm)
            usable = rpmOrUnknown(c.max) > std::max(0, rpmOrUnknown(c.min));
        c.kind = usable ? wanted : ControlKind::None;
        out.push_back(std::move(c));
    }
    return out;
}

QVector<FanReading> Fans::read() const
{
    QVector<FanReading> out;
    for (const Channel& c : channels()) {
        FanReading r;
        r.index = c.index;
        r.rpm = rpmOrUnknown(c.input);
        r.minRpm = rpmOrUnknown(c.min);
        // A maximum of 0 means the driver does not know it.
        r.maxRpm = rpmOrUnknown(c.max) > 0 ? rpmOrUnknown(c.max) : -1;
        r.manual = readSysfsInt(c.modePath) == 1;
        out.push_back(r);
    }
    return out;
}

bool Fans::supportsSafeControl() const
{
    const auto all = channels();
    return std::any_of(all.begin(), all.end(), [](const Channel& c) { return c.kind != ControlKind::None; });
}

bool Fans::canControl(int fan) const
{
    for (const Channel& c : channels())
        if (c.index == fan)
            return c.kind != ControlKind::None;
    return false;
}

bool Fans::setDutyPercent(int fan, int percent)
{
    const auto all = channels();
    const auto it = std::find_if(all.begin(), all.end(), [fan](const Channel& c) { return c.index == fan; });
    if (it == all.end() || it->kind == ControlKind::None) {
        logLine(QStringLiteral("Fans: refused manual control of fan %1 (%2)")
                    .arg(fan)
                    .arg(it == all.end()
                             ? QStringLiteral("no such fan")
                             : QStringLiteral("chip \"%1\" is not known to be safe or offers no writable control")
                                   .arg(it->chip)));
        return false;
    }
    const Channel& c = *it;
    percent = std::clamp(percent, 0, 100);

    if (!touched_.contains(c.modePath)) {
        // Remembered before the first write, so that even a half-finished takeover is undone.
        Touched t;
        t.index = c.index;
        t.modePath = c.modePath;
        if (c.kind == ControlKind::TargetRpm) {
            t.automaticValue = QStringLiteral("0");
        } else {
            // 1 is manual and 0 full speed without control on most drivers: neither is automatic.
            const QString original = readSysfsText(c.modePath).value_or(QString());
            const bool automatic
                = !original.isEmpty() && original != QStringLiteral("1") && original != QStringLiteral("0");
            t.automaticValue = automatic ? original : QStringLiteral("2");
        }
        touched_.insert(c.modePath, t);
    }

    const SysfsWriteOutcome mode = writeAndReadBack(writer_, kFansComponent, c.modePath, QStringLiteral("1"));
    if (!mode.written() || mode.readBack != QStringLiteral("1"))
        return false;
    int value = 0;
    int tolerance = 0;
    if (c.kind == ControlKind::TargetRpm) {
        const int lo = std::max(0, rpmOrUnknown(c.min));
        value = lo + static_cast<int>(std::lround((rpmOrUnknown(c.max) - lo) * percent / 100.0));
        tolerance = kRpmTolerance;
    } else {
        value = static_cast<int>(std::lround(percent * 255 / 100.0));
        tolerance = kPwmTolerance;
    }
    const SysfsWriteOutcome duty = writeAndReadBack(writer_, kFansComponent, c.valuePath, QString::number(value));
    if (!duty.written())
        return false;
    bool ok = false;
    const int readBack = duty.readBack.value_or(QString()).toInt(&ok);
    return ok && std::abs(static_cast<qint64>(readBack) - value) <= tolerance;
}

void Fans::restoreAutomatic()
{
    for (auto it = touched_.begin(); it != touched_.end();) {
        const SysfsWriteOutcome out = writeAndReadBack(writer_, kFansComponent, it->modePath, it->automaticValue);
        if (out.written() && out.readBack == it->automaticValue) {
            it = touched_.erase(it);
        } else {
            // Kept, so that the next call tries again.
            logLine(QStringLiteral("Fans: fan %1 did not return to automatic control").arg(it->index));
            ++it;
        }
    }
}

QVector<int> Fans::controlledFans() const
{
    QVector<int> out;
    for (const Touched& t : touched_)
        out << t.index;
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace vantrel::node
