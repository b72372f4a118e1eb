#include "fan/FanCurveSettings.h"

#include <QHashFunctions>
#include <QJsonDocument>

#include "base/JsonAccess.h"

namespace vantrel {

namespace {

template <class T> QJsonArray encodeAll(const std::vector<T>& items)
{
    QJsonArray out;
    for (const auto& item : items)
        out.append(item.toJson());
    return out;
}

// Every element must decode, or the whole array fails.
template <class T> std::optional<std::vector<T>> decodeAll(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    std::vector<T> out;
    out.reserve(static_cast<size_t>(array.size()));
    for (const auto& element : array) {
        auto item = T::fromJson(element);
        if (!item)
            return std::nullopt;
        out.push_back(std::move(*item));
    }
    return out;
}

// Optional keys: absent or null means "not there"; a value of the wrong type fails the record.
bool isAbsent(const QJsonObject& o, const QString& key)
{
    const QJsonValue v = o.value(key);
    return v.isUndefined() || v.isNull();
}

FanCurveSettings builtIn(const char* name, std::initializer_list<std::pair<double, double>> shape)
{
    FanCurveSettings curve;
    curve.name = QString::fromLatin1(name);
    curve.isSystemPreset = true;
    for (const auto& [t, f] : shape)
        curve.points.push_back(CurvePoint::make(t, f));
    return curve;
}

} // namespace

QJsonObject FanCurveSettings::toJson() const
{
    return QJsonObject{{QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper()},
                       {QStringLiteral("name"), name},
                       {QStringLiteral("points"), encodeAll(points)},
                       {QStringLiteral("isSystemPreset"), isSystemPreset},
                       {QStringLiteral("rightPoints"), encodeAll(rightPoints)},
                       {QStringLiteral("appBundleIds"), QJsonArray::fromStringList(appBundleIds)}};
}

QByteArray FanCurveSettings::toJsonBytes() const { return QJsonDocument(toJson()).toJson(QJsonDocument::Compact); }

std::optional<FanCurveSettings> FanCurveSettings::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    FanCurveSettings curve;

    const auto name = json::string(o, QStringLiteral("name"));
    auto points = decodeAll<CurvePoint>(o.value(QStringLiteral("points")));
    if (!name || !points)
        return std::nullopt;
    curve.name = *name;
    curve.points = std::move(*points);

    if (!isAbsent(o, QStringLiteral("id"))) {
        const auto text = json::string(o, QStringLiteral("id"));
        const auto id = text ? parseUuid(*text) : std::nullopt;
        if (!id)
            return std::nullopt;
        curve.id = *id;
    }
    if (!isAbsent(o, QStringLiteral("isSystemPreset"))) {
        const auto flag = json::strictBool(o, QStringLiteral("isSystemPreset"));
        if (!flag)
            return std::nullopt;
        curve.isSystemPreset = *flag;
    }
    if (!isAbsent(o, QStringLiteral("rightPoints"))) {
        auto right = decodeAll<CurvePoint>(o.value(QStringLiteral("rightPoints")));
        if (!right)
            return std::nullopt;
        curve.rightPoints = std::move(*right);
    }
    if (!isAbsent(o, QStringLiteral("appBundleIds"))) {
        const QJsonValue ids = o.value(QStringLiteral("appBundleIds"));
        if (!ids.isArray())
            return std::nullopt;
        for (const auto& element : ids.toArray()) {
            if (!element.isString())
                return std::nullopt;
            curve.appBundleIds.append(element.toString());
        }
    }
    return curve;
}

std::optional<FanCurveSettings> FanCurveSettings::fromJsonBytes(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return fromJson(doc.object());
}

QJsonArray FanCurveSettings::toJsonArray(const std::vector<FanCurveSettings>& list) { return encodeAll(list); }

std::optional<std::vector<FanCurveSettings>> FanCurveSettings::listFromJson(const QJsonValue& value)
{
    return decodeAll<FanCurveSettings>(value);
}

std::optional<std::vector<FanCurveSettings>> FanCurveSettings::listFromJsonBytes(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return std::nullopt;
    return listFromJson(doc.array());
}

const FanCurveSettings& FanCurveSettings::defaultSilent()
{
    static const FanCurveSettings curve = builtIn("curve_silent", {{0, 0}, {50, 0}, {65, 18}, {82, 42}, {100, 100}});
    return curve;
}

const FanCurveSettings& FanCurveSettings::defaultBalanced()
{
    static const FanCurveSettings curve = builtIn("curve_balance", {{0, 0}, {45, 35}, {60, 55}, {78, 78}, {100, 100}});
    return curve;
}

const FanCurveSettings& FanCurveSettings::defaultPerformance()
{
    static const FanCurveSettings curve
        = builtIn("curve_performance", {{0, 0}, {45, 45}, {60, 70}, {78, 90}, {100, 100}});
    return curve;
}

const std::vector<FanCurveSettings>& FanCurveSettings::systemPresets()
{
    static const std::vector<FanCurveSettings> presets{defaultSilent(), defaultBalanced(), defaultPerformance()};
    return presets;
}

bool FanCurveSettings::isBuiltInName(const QString& name)
{
    for (const auto& preset : systemPresets())
        if (preset.name == name)
            return true;
    return false;
}

size_t qHash(const FanCurveSettings& curve, size_t seed) noexcept
{
    return qHashMulti(seed, curve.id, curve.name, curve.points.size(),
                      qHashRange(curve.points.begin(), curve.points.end()), curve.isSystemPreset,
                      curve.rightPoints.size(), qHashRange(curve.rightPoints.begin(), curve.rightPoints.end()),
                      curve.appBundleIds);
}

} // namespace vantrel
