#include "sim/protocol/FaultInjector.h"

#include <algorithm>

#include <QJsonDocument>

#include "base/JsonAccess.h"
#include "sim/protocol/FaultStorm.h"

namespace vantrel::sim {

namespace {

constexpr std::pair<FaultMode, const char*> kModes[] = {
    {FaultMode::Delay, "delay"},
    {FaultMode::Close, "close"},
    {FaultMode::Garbage, "garbage"},
    {FaultMode::Split, "split"},
    {FaultMode::Status, "status"},
    {FaultMode::OmitKeys, "omit_keys"},
    {FaultMode::MistypeKeys, "mistype_keys"},
    {FaultMode::Pad, "pad"},
    {FaultMode::Truncate, "truncate"},
};

// The same information in a JSON type the reader does not expect.
QJsonValue mistyped(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::Double:
        return QString::number(v.toDouble());
    case QJsonValue::Bool:
        return v.toBool() ? 1 : 0;
    case QJsonValue::String:
        return QJsonArray{v};
    case QJsonValue::Array:
        return QJsonObject{};
    case QJsonValue::Object:
        return QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact).constData();
    default:
        return false;
    }
}

QStringList targetKeys(const QJsonObject& reply, const QStringList& keys)
{
    if (!keys.isEmpty())
        return keys;
    QStringList all = reply.keys();
    all.removeAll(QStringLiteral("status"));
    return all;
}

} // namespace

QString faultModeName(FaultMode mode)
{
    for (const auto& [m, name] : kModes)
        if (m == mode)
            return QLatin1String(name);
    return {};
}

std::optional<Fault> Fault::fromRequest(const QJsonObject& request, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::optional<Fault>();
    };
    const QString name = json::string(request, QStringLiteral("mode")).value_or(QString());
    Fault fault;
    bool known = false;
    for (const auto& [m, text] : kModes)
        if (name == QLatin1String(text)) {
            fault.mode = m;
            known = true;
        }
    if (!known)
        return fail(QStringLiteral(
            "\"mode\" must be one of delay, close, garbage, split, status, omit_keys, mistype_keys, pad, truncate"));
    const auto intArg = [&request](const char* key, int fallback, int lo, int hi) {
        return static_cast<int>(
            std::clamp<qint64>(json::integer(request, QLatin1String(key)).value_or(fallback), lo, hi));
    };
    fault.delayMs = intArg("delay_ms", 1500, 0, 120000);
    fault.segments = intArg("segments", 2, 2, 64);
    fault.pauseMs = intArg("pause_ms", 200, 0, 60000);
    fault.padBytes = intArg("bytes", 8192, 0, 16 << 20);
    fault.remaining = intArg("count", 1, -1, 1000000);
    if (fault.remaining == 0)
        return fail(QStringLiteral("\"count\" must be positive, or -1 for until cleared"));
    fault.execute = json::strictBool(request, QStringLiteral("execute")).value_or(true);
    if (fault.mode == FaultMode::Status) {
        const auto status = json::string(request, QStringLiteral("status"));
        if (!status)
            return fail(QStringLiteral("\"status\" must be the status text to reply with"));
        fault.status = *status;
    }
    for (const auto& k : request.value(QStringLiteral("keys")).toArray())
        if (k.isString())
            fault.keys << k.toString();
    if (const auto garbage = json::string(request, QStringLiteral("garbage")))
        fault.garbage = garbage->toUtf8();
    return fault;
}

QJsonObject Fault::toJson() const
{
    QJsonObject o{{QStringLiteral("mode"), faultModeName(mode)},
                  {QStringLiteral("count"), remaining},
                  {QStringLiteral("execute"), execute}};
    switch (mode) {
    case FaultMode::Delay:
        o.insert(QStringLiteral("delay_ms"), delayMs);
        break;
    case FaultMode::Split:
        o.insert(QStringLiteral("segments"), segments);
        o.insert(QStringLiteral("pause_ms"), pauseMs);
        break;
    case FaultMode::Status:
        o.insert(QStringLiteral("status"), status);
        break;
    case FaultMode::OmitKeys:
    case FaultMode::MistypeKeys:
        o.insert(QStringLiteral("keys"), QJsonArray::fromStringList(keys));
        break;
    case FaultMode::Pad:
        o.insert(QStringLiteral("bytes"), padBytes);
        break;
    default:
        break;
    }
    return o;
}

FaultInjector::FaultInjector() = default;
FaultInjector::~FaultInjector() = default;

void FaultInjector::startStorm(const StormSettings& settings)
{
    std::lock_guard lock(mutex_);
    storm_ = std::make_unique<FaultStorm>(settings);
    stormActive_ = true;
}

void FaultInjector::stopStorm()
{
    std::lock_guard lock(mutex_);
    stormActive_ = false;
}

QJsonObject FaultInjector::stormState() const
{
    std::lock_guard lock(mutex_);
    if (!storm_)
        return QJsonObject{{QStringLiteral("active"), false}};
    QJsonObject o = storm_->toJson();
    o.insert(QStringLiteral("active"), stormActive_);
    return o;
}

void FaultInjector::add(const QString& command, const Fault& fault)
{
    std::lock_guard lock(mutex_);
    faults_[command].push_back(fault);
}

void FaultInjector::clear(const QString& command)
{
    std::lock_guard lock(mutex_);
    if (command.isEmpty())
        faults_.clear();
    else
        faults_.remove(command);
}

std::vector<Fault> FaultInjector::take(const QString& command)
{
    std::vector<Fault> out;
    std::lock_guard lock(mutex_);
    const bool control = command.startsWith(QLatin1String("sim_"));
    for (const QString& key : {command, QStringLiteral("*")}) {
        if (key == QLatin1String("*") && control)
            continue;
        auto it = faults_.find(key);
        if (it == faults_.end())
            continue;
        auto& list = it.value();
        for (auto& f : list) {
            out.push_back(f);
            if (f.remaining > 0)
                --f.remaining;
        }
        list.erase(std::remove_if(list.begin(), list.end(), [](const Fault& f) { return f.remaining == 0; }),
                   list.end());
        if (list.empty())
            faults_.erase(it);
    }
    if (stormActive_)
        if (auto f = storm_->draw(command))
            out.push_back(std::move(*f));
    return out;
}

QJsonArray FaultInjector::list() const
{
    std::lock_guard lock(mutex_);
    QJsonArray out;
    for (auto it = faults_.cbegin(); it != faults_.cend(); ++it)
        for (const auto& f : it.value()) {
            QJsonObject o = f.toJson();
            o.insert(QStringLiteral("command"), it.key());
            out.append(o);
        }
    return out;
}

bool suppressesExecution(const std::vector<Fault>& faults)
{
    return std::any_of(faults.begin(), faults.end(), [](const Fault& f) { return !f.execute; });
}

ShapedReply shapeReply(const QJsonObject& reply, const std::vector<Fault>& faults)
{
    QJsonObject body = reply;
    ShapedReply shaped;
    std::optional<QByteArray> garbage;
    int padBytes = 0;
    int segments = 1;
    bool truncate = false;
    for (const auto& f : faults) {
        switch (f.mode) {
        case FaultMode::Delay:
            shaped.delayMs += f.delayMs;
            break;
        case FaultMode::Close:
            shaped.closeWithoutReply = true;
            break;
        case FaultMode::Garbage:
            garbage = f.garbage.isEmpty() ? QByteArray("\x00\xff\xfe<vantrel-sim garbage>{\"status\":", 35) : f.garbage;
            break;
        case FaultMode::Split:
            segments = f.segments;
            shaped.pauseMs = f.pauseMs;
            break;
        case FaultMode::Status:
            body.insert(QStringLiteral("status"), f.status);
            break;
        case FaultMode::OmitKeys:
            for (const auto& k : targetKeys(body, f.keys))
                body.remove(k);
            break;
        case FaultMode::MistypeKeys:
            for (const auto& k : targetKeys(body, f.keys))
                if (body.contains(k))
                    body.insert(k, mistyped(body.value(k)));
            break;
        case FaultMode::Pad:
            padBytes = f.padBytes;
            break;
        case FaultMode::Truncate:
            truncate = true;
            break;
        }
    }
    if (shaped.closeWithoutReply)
        return shaped;
    QByteArray bytes = garbage ? *garbage : json::compact(body);
    if (!garbage && bytes.size() < padBytes)
        bytes.append(QByteArray(padBytes - bytes.size(), ' '));
    // Half a reply, then the connection ends as if the daemon had died mid-write.
    if (truncate)
        bytes.truncate(bytes.size() / 2);
    const qsizetype n = std::min<qsizetype>(segments, std::max<qsizetype>(1, bytes.size()));
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype end = bytes.size() * (i + 1) / n;
        shaped.segments.push_back(bytes.mid(start, end - start));
        start = end;
    }
    return shaped;
}

} // namespace vantrel::sim
