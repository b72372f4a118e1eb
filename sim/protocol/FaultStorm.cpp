#include "sim/protocol/FaultStorm.h"

#include <QJsonArray>

namespace vantrel::sim {

namespace {

constexpr const char* kKindNames[kStormKindCount] = {
    "delay_past_1s", "delay_past_5s", "delay_past_10s", "delay_past_30s", "close",    "garbage",   "non_object",
    "split",         "wrong_status",  "omit_keys",      "mistype_keys",   "pad_8192", "pad_10mib", "truncate",
};

int uniform(std::mt19937& random, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); }

// Just past a read time-out of seconds, so the client has given up when the reply comes.
Fault delayPast(int seconds, std::mt19937& random)
{
    Fault f;
    f.mode = FaultMode::Delay;
    f.delayMs = seconds * 1000 + uniform(random, 100, 1500);
    return f;
}

QByteArray randomBytes(std::mt19937& random, int size)
{
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(uniform(random, 0, 255));
    return bytes;
}

} // namespace

FaultStorm::FaultStorm(StormSettings settings)
    : settings_(settings)
    , random_(settings.seed)
{ }

QString FaultStorm::kindName(StormKind kind) { return QLatin1String(kKindNames[static_cast<int>(kind)]); }

Fault FaultStorm::faultOf(StormKind kind, std::mt19937& random)
{
    Fault f;
    switch (kind) {
    case StormKind::DelayPastShortRead:
        return delayPast(1, random);
    case StormKind::DelayPastCommandRead:
        return delayPast(5, random);
    case StormKind::DelayPastOwnershipRead:
        return delayPast(10, random);
    case StormKind::DelayPastPackageRead:
        return delayPast(30, random);
    case StormKind::Close:
        f.mode = FaultMode::Close;
        // Sometimes the daemon fell over before doing the work, sometimes after.
        f.execute = uniform(random, 0, 1) == 1;
        return f;
    case StormKind::Garbage:
        f.mode = FaultMode::Garbage;
        // Short noise, or noise around and across the 8192-byte read size.
        f.garbage = randomBytes(random, uniform(random, 0, 1) ? uniform(random, 1, 64) : uniform(random, 8000, 20000));
        return f;
    case StormKind::NonObject: {
        static const char* const roots[] = {"[]", "[{\"status\":\"ok\"}]", "null", "\"ok\"", "42", "true"};
        f.mode = FaultMode::Garbage;
        f.garbage = roots[uniform(random, 0, 5)];
        return f;
    }
    case StormKind::Split:
        f.mode = FaultMode::Split;
        f.segments = uniform(random, 2, 4);
        f.pauseMs = uniform(random, 50, 2500);
        return f;
    case StormKind::WrongStatus: {
        static const char* const statuses[] = {"OK", "error", "partial", "", "ok ", "Ok"};
        f.mode = FaultMode::Status;
        f.status = QLatin1String(statuses[uniform(random, 0, 5)]);
        return f;
    }
    case StormKind::OmitKeys:
    case StormKind::MistypeKeys:
        f.mode = kind == StormKind::OmitKeys ? FaultMode::OmitKeys : FaultMode::MistypeKeys;
        // Every key but "status", or "status" alone.
        if (uniform(random, 0, 1) == 1)
            f.keys = QStringList{QStringLiteral("status")};
        return f;
    case StormKind::PadExact8192:
        f.mode = FaultMode::Pad;
        f.padBytes = 8192;
        return f;
    case StormKind::Pad10MiB:
        f.mode = FaultMode::Pad;
        f.padBytes = 10 << 20;
        return f;
    case StormKind::Truncate:
        f.mode = FaultMode::Truncate;
        return f;
    }
    return f;
}

std::optional<Fault> FaultStorm::draw(const QString& command)
{
    if (command.startsWith(QLatin1String("sim_")))
        return std::nullopt;
    ++requests_;
    if (std::uniform_real_distribution<double>(0.0, 1.0)(random_) >= settings_.rate)
        return std::nullopt;
    const auto kind = static_cast<StormKind>(uniform(random_, 0, kStormKindCount - 1));
    ++injected_[static_cast<size_t>(kind)];
    Fault f = faultOf(kind, random_);
    f.remaining = 1;
    return f;
}

QJsonObject FaultStorm::toJson() const
{
    QJsonObject byKind;
    long long total = 0;
    for (int i = 0; i < kStormKindCount; ++i) {
        byKind.insert(QLatin1String(kKindNames[i]), injected_[static_cast<size_t>(i)]);
        total += injected_[static_cast<size_t>(i)];
    }
    return QJsonObject{{QStringLiteral("seed"), static_cast<qint64>(settings_.seed)},
                       {QStringLiteral("rate"), settings_.rate},
                       {QStringLiteral("requests"), requests_},
                       {QStringLiteral("faulted"), total},
                       {QStringLiteral("by_kind"), byKind}};
}

} // namespace vantrel::sim
