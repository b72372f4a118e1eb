#include "node/daemon/MachineFacts.h"

#include <QFile>
#include <QSysInfo>

namespace vantrel::node {

namespace {

QString attribute(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Device-tree strings end in NUL; DMI ones in a newline.
    QByteArray bytes = file.read(4096);
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QString::fromUtf8(bytes).trimmed();
}

// SMBIOS chassis types of desktops, towers and all-in-ones.
bool desktopChassis(int type)
{
    switch (type) {
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 13:
    case 15:
    case 16:
    case 24:
    case 35:
    case 36:
        return true;
    default:
        return false;
    }
}

} // namespace

MachineFacts MachineFacts::read(const QString& root)
{
    MachineFacts facts;
    const QString base = root.endsWith(QLatin1Char('/')) ? root.chopped(1) : root;
    const QString dmi = base + QStringLiteral("/sys/class/dmi/id/");
    const QString vendor = attribute(dmi + QStringLiteral("sys_vendor"));
    const QString product = attribute(dmi + QStringLiteral("product_name"));
    const QString version = attribute(dmi + QStringLiteral("product_version"));
    const QString treeModel = attribute(base + QStringLiteral("/proc/device-tree/model"));
    if (!product.isEmpty()) {
        facts.vendor = vendor;
        facts.modelIdentifier = vendor.isEmpty() ? product : vendor + QLatin1Char(' ') + product;
        // Lenovo keeps the readable name in product_version ("ThinkPad T14 Gen 3").
        facts.modelName = version.isEmpty() || version == QLatin1String("None") ? product : version;
    } else if (!treeModel.isEmpty()) {
        facts.modelIdentifier = treeModel;
        facts.modelName = treeModel;
        facts.vendor = treeModel.section(QLatin1Char(' '), 0, 0);
    }
    const QString arch = QSysInfo::currentCpuArchitecture();
    if (!arch.isEmpty())
        facts.architecture = arch;
    bool ok = false;
    const int chassis = attribute(dmi + QStringLiteral("chassis_type")).toInt(&ok);
    facts.desktopClass = ok && desktopChassis(chassis);
    return facts;
}

QJsonObject MachineFacts::toProfile() const
{
    return QJsonObject{
        {QStringLiteral("model_identifier"), modelIdentifier},
        {QStringLiteral("model_name"), modelName},
        {QStringLiteral("marketing_name"), modelName},
        {QStringLiteral("architecture"), architecture},
        {QStringLiteral("fan_count"), fanCount},
        {QStringLiteral("has_battery"), hasBattery},
        {QStringLiteral("supports_clamshell"), supportsClamshell},
        // Linux has no SMC: fans are driven through hwmon, and only on the known-safe list.
        {QStringLiteral("supports_smc_fan_control"), supportsSafeFanControl},
        {QStringLiteral("supports_safe_fan_control"), supportsSafeFanControl},
        {QStringLiteral("supports_battery_smc_control"), chargeControl},
        {QStringLiteral("desktop_class"), desktopClass},
    };
}

} // namespace vantrel::node
