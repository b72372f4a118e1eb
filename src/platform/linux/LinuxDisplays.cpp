#include "platform/linux/LinuxDisplays.h"

#include <QDir>
#include <QRegularExpression>

#include "platform/linux/PseudoFile.h"

namespace vantrel {
namespace {

constexpr int kEdidBlockSize = 128;
constexpr int kFirstDescriptor = 54;
constexpr int kDescriptorSize = 18;

std::uint32_t byteAt(const QByteArray& b, int i) { return static_cast<std::uint8_t>(b.at(i)); }

// "1920x1080" (possibly followed by "i" for interlaced); 0 x 0 otherwise.
PixelSize parseModeLine(const QString& line)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})"));
    const auto match = pattern.match(line);
    if (!match.hasMatch())
        return {};
    return PixelSize{match.captured(1).toUInt(), match.captured(2).toUInt()};
}

} // namespace

LinuxDisplays::LinuxDisplays(QString sysRoot)
    : drmDirectory_(sysRoot + QStringLiteral("/class/drm"))
{ }

bool LinuxDisplays::isBuiltInConnector(const QString& connectorName)
{
    return connectorName.startsWith(QLatin1String("eDP")) || connectorName.startsWith(QLatin1String("LVDS"))
        || connectorName.startsWith(QLatin1String("DSI"));
}

std::optional<EdidIdentity> LinuxDisplays::parseEdid(const QByteArray& edid)
{
    static const QByteArray header = QByteArray::fromHex("00ffffffffffff00");
    if (edid.size() < kEdidBlockSize || !edid.startsWith(header))
        return std::nullopt;
    EdidIdentity id;
    id.vendorNumber = byteAt(edid, 8) << 8 | byteAt(edid, 9);
    id.modelNumber = byteAt(edid, 10) | byteAt(edid, 11) << 8;
    id.serialNumber = byteAt(edid, 12) | byteAt(edid, 13) << 8 | byteAt(edid, 14) << 16 | byteAt(edid, 15) << 24;
    for (int d = kFirstDescriptor; d + kDescriptorSize <= kEdidBlockSize; d += kDescriptorSize) {
        const bool timing = byteAt(edid, d) != 0 || byteAt(edid, d + 1) != 0;
        if (timing) {
            // The first detailed timing is the preferred mode.
            if (id.preferredSize.width == 0)
                id.preferredSize = PixelSize{byteAt(edid, d + 2) | (byteAt(edid, d + 4) & 0xF0) << 4,
                                             byteAt(edid, d + 5) | (byteAt(edid, d + 7) & 0xF0) << 4};
            continue;
        }
        if (byteAt(edid, d + 3) == 0xFC) {
            QByteArray text = edid.mid(d + 5, 13);
            const auto end = text.indexOf('\n');
            if (end >= 0)
                text.truncate(end);
            id.monitorName = QString::fromLatin1(text).trimmed();
        }
    }
    return id;
}

std::optional<std::vector<LinuxDisplays::Connector>> LinuxDisplays::connectors() const
{
    const QDir drm(drmDirectory_);
    if (!drm.exists())
        return std::nullopt;
    // "card0-eDP-1": a connector of a card; "card0" and "renderD128" are the devices themselves.
    static const QRegularExpression connectorName(QStringLiteral("^card\\d+-(.+)$"));
    std::vector<Connector> list;
    std::uint32_t position = 0;
    const QStringList entries = drm.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        const auto match = connectorName.match(entry);
        if (!match.hasMatch())
            continue;
        ++position;
        const QString folder = drm.filePath(entry);
        if (linuxfs::readTrimmedText(folder + QStringLiteral("/status")) != QStringLiteral("connected"))
            continue;
        Connector c;
        c.info.builtIn = isBuiltInConnector(match.captured(1));
        const auto connectorId = linuxfs::readTrimmedText(folder + QStringLiteral("/connector_id"));
        bool ok = false;
        const std::uint32_t id = connectorId ? connectorId->toUInt(&ok) : 0;
        c.info.id = ok && id != 0 ? id : position;
        const auto edid = linuxfs::readPseudoFile(folder + QStringLiteral("/edid"), 64 * 1024);
        const auto identity = edid ? parseEdid(*edid) : std::nullopt;
        if (identity) {
            c.info.vendorNumber = identity->vendorNumber;
            c.info.modelNumber = identity->modelNumber;
            c.info.serialNumber = identity->serialNumber;
            c.name = identity->monitorName;
            c.size = identity->preferredSize;
        }
        if (c.name.isEmpty())
            c.name = match.captured(1);
        const auto modes = linuxfs::readPseudoFile(folder + QStringLiteral("/modes"), 64 * 1024);
        if (modes) {
            const PixelSize first = parseModeLine(QString::fromLatin1(modes->left(modes->indexOf('\n'))));
            if (first.width > 0 && first.height > 0)
                c.size = first;
        }
        list.push_back(c);
    }
    return list;
}

std::optional<std::vector<DisplayInfo>> LinuxDisplays::onlineDisplays(int maxCount) const
{
    const auto list = connectors();
    if (!list)
        return std::nullopt;
    std::vector<DisplayInfo> out;
    for (const Connector& c : *list)
        if (static_cast<int>(out.size()) < maxCount)
            out.push_back(c.info);
    return out;
}

std::vector<ScreenInfo> LinuxDisplays::screens() const
{
    std::vector<ScreenInfo> out;
    for (const Connector& c : connectors().value_or(std::vector<Connector>{}))
        out.push_back(ScreenInfo{c.info.id, c.name});
    return out;
}

// The built-in panel when one is connected, otherwise the first connected monitor.
PixelSize LinuxDisplays::mainDisplayPixelSize() const
{
    const auto list = connectors().value_or(std::vector<Connector>{});
    for (const Connector& c : list)
        if (c.info.builtIn)
            return c.size;
    return list.empty() ? PixelSize{} : list.front().size;
}

std::optional<VirtualDisplayMode> LinuxDisplays::makeMode(std::uint32_t width, std::uint32_t height,
                                                          double refreshRate) const
{
    if (width == 0 || height == 0 || !(refreshRate > 0))
        return std::nullopt;
    return VirtualDisplayMode{width, height, refreshRate};
}

std::unique_ptr<VirtualDisplay> LinuxDisplays::createVirtualDisplay(const VirtualDisplayDescriptor&) { return nullptr; }

std::unique_ptr<DisplayConfiguration> LinuxDisplays::beginConfiguration() { return nullptr; }

std::vector<std::uint32_t> LinuxDisplays::activeDisplayIds(int maxCount) const
{
    std::vector<std::uint32_t> ids;
    for (const DisplayInfo& d : onlineDisplays(maxCount).value_or(std::vector<DisplayInfo>{}))
        ids.push_back(d.id);
    return ids;
}

} // namespace vantrel
