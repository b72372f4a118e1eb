#include "platform/linux/LinuxSystemProfiler.h"

#include <QStringList>

#include "platform/linux/PseudoFile.h"

namespace vantrel {
namespace {

// Firmware fills unused DMI fields with placeholders; those say nothing about the machine.
bool isPlaceholder(const QString& value)
{
    static const QStringList placeholders = {QStringLiteral("To be filled by O.E.M."),
                                             QStringLiteral("To Be Filled By O.E.M."),
                                             QStringLiteral("System Product Name"),
                                             QStringLiteral("System Version"),
                                             QStringLiteral("Default string"),
                                             QStringLiteral("Not Applicable"),
                                             QStringLiteral("None"),
                                             QStringLiteral("0123456789")};
    return value.isEmpty() || placeholders.contains(value);
}

QString field(const QString& path)
{
    const QString value = linuxfs::readTrimmedText(path).value_or(QString());
    return isPlaceholder(value) ? QString() : value;
}

} // namespace

LinuxSystemProfiler::LinuxSystemProfiler(QString sysRoot)
    : sysRoot_(std::move(sysRoot))
{ }

std::optional<HardwareOverview> LinuxSystemProfiler::hardwareOverview() const
{
    const QString treeBase = sysRoot_ + QStringLiteral("/firmware/devicetree/base/");
    // Device-tree strings end in NUL; "compatible" is a NUL-separated list, most specific first.
    if (const auto model = linuxfs::readPseudoFile(treeBase + QStringLiteral("model"), 4096)) {
        const QString name = QString::fromUtf8(model->split('\0').value(0)).trimmed();
        if (!name.isEmpty()) {
            const auto compatible = linuxfs::readPseudoFile(treeBase + QStringLiteral("compatible"), 4096);
            const QString identifier
                = compatible ? QString::fromUtf8(compatible->split('\0').value(0)).trimmed() : QString();
            return HardwareOverview{name, identifier.isEmpty() ? name : identifier, name};
        }
    }

    const QString dmi = sysRoot_ + QStringLiteral("/class/dmi/id/");
    const QString product = field(dmi + QStringLiteral("product_name"));
    if (product.isEmpty())
        return std::nullopt;
    const QString family = field(dmi + QStringLiteral("product_family"));
    const QString version = field(dmi + QStringLiteral("product_version"));
    const QString vendor = field(dmi + QStringLiteral("sys_vendor"));
    HardwareOverview overview;
    overview.modelIdentifier = product;
    overview.modelName = family.isEmpty() ? product : family;
    // Lenovo keeps the readable name in product_version; most others in product_name/family.
    const QString readable = version.size() > 3 && version.contains(QLatin1Char(' ')) ? version : overview.modelName;
    overview.marketingName
        = (vendor.isEmpty() || readable.startsWith(vendor)) ? readable : vendor + QLatin1Char(' ') + readable;
    return overview;
}

} // namespace vantrel
