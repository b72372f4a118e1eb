#include "sensors/NativeSMC.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/Log.h"
#include "platform/SMCParamBlock.h"

namespace vantrel {

NativeSMC::NativeSMC(std::shared_ptr<SmcUserClient> client)
    : client_(std::move(client))
{
    const SmcOpenResult opened = client_->open();
    switch (opened.status) {
    case SmcOpenResult::Status::MatchingFailed:
        logLine(QStringLiteral("NativeSMC: Error IOServiceGetMatchingServices()"));
        return;
    case SmcOpenResult::Status::ServiceNotFound:
        logLine(QStringLiteral("NativeSMC: AppleSMC service not found"));
        return;
    case SmcOpenResult::Status::OpenFailed:
        logLine(QStringLiteral("NativeSMC: Failed to open connection"));
        return;
    case SmcOpenResult::Status::Opened:
        conn_ = opened.connection;
        logLine(QStringLiteral("NativeSMC: Successfully connected to AppleSMC."));
        return;
    }
}

NativeSMC::~NativeSMC()
{
    if (conn_ != 0)
        client_->close(conn_);
}

std::int32_t NativeSMC::read(SMCVal_t& val)
{
    const auto keyCode = smcFourCharCode(val.key);
    if (!keyCode)
        return smc::kBadArgument;

    SMCParamBlock input;
    input.key = *keyCode;
    input.command = SMCParamBlock::commandReadKeyInfo;
    std::array<std::uint8_t, SMCParamBlock::size> output{};
    const auto call = [&](const SMCParamBlock& in) {
        const auto raw = in.encode();
        output.fill(0);
        std::size_t outputSize = output.size();
        std::lock_guard lock(ioLock_);
        return client_->callStructMethod(conn_, SMCParamBlock::selector, raw.data(), raw.size(), output.data(),
                                         &outputSize);
    };

    if (const std::int32_t result = call(input); result != smc::kSuccess)
        return result;
    const SMCParamBlock info = SMCParamBlock::decode(output.data());
    val.dataSize = info.dataSize;
    val.dataType = smcFourCharString(info.dataType);

    input.dataSize = info.dataSize;
    input.command = SMCParamBlock::commandReadKey;
    if (const std::int32_t result = call(input); result != smc::kSuccess)
        return result;
    const SMCParamBlock value = SMCParamBlock::decode(output.data());
    // The value field holds 32 bytes; a larger size claimed by the SMC cannot be more than that.
    const std::size_t n = std::min<std::size_t>(val.dataSize, val.bytes.size());
    std::memcpy(val.bytes.data(), value.bytes.data(), n);
    return smc::kSuccess;
}

bool NativeSMC::zeroIsValue(const QString& key)
{
    return key == QStringLiteral("FS! ") || key == QStringLiteral("F0Md") || key == QStringLiteral("F1Md")
        || key == QStringLiteral("F0md") || key == QStringLiteral("F1md");
}

std::optional<double> NativeSMC::decode(const QString& dataType, const std::array<std::uint8_t, 32>& b)
{
    if (dataType == QStringLiteral("ui8 "))
        return b[0];
    if (dataType == QStringLiteral("ui16"))
        return b[0] * 256.0 + b[1];
    if (dataType == QStringLiteral("ui32"))
        return static_cast<double>((std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16)
                                   | (std::uint32_t{b[2]} << 8) | b[3]);
    if (dataType == QStringLiteral("flt ")) {
        const std::uint32_t bits
            = (std::uint32_t{b[3]} << 24) | (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[1]} << 8) | b[0];
        float f = 0;
        std::memcpy(&f, &bits, sizeof f);
        return static_cast<double>(f);
    }
    if (dataType == QStringLiteral("fpe2"))
        return static_cast<double>(b[0] * 64u + (b[1] >> 2));
    if (dataType == QStringLiteral("sp78"))
        return (b[0] * 256.0 + b[1]) / 256.0;
    return std::nullopt;
}

std::optional<double> NativeSMC::getValue(const QString& key)
{
    SMCVal_t val;
    val.key = key;
    if (read(val) != smc::kSuccess || val.dataSize == 0)
        return std::nullopt;
    const bool allZero = std::all_of(val.bytes.begin(), val.bytes.end(), [](std::uint8_t x) { return x == 0; });
    if (allZero && !zeroIsValue(key))
        return std::nullopt;
    return decode(val.dataType, val.bytes);
}

int NativeSMC::getMaxFanRPM(int fanIndex)
{
    const auto value = getValue(QStringLiteral("F") + QString::number(fanIndex) + QStringLiteral("Mx"));
    if (!value || !std::isfinite(*value))
        return 0;
    // A float key can hold anything; keep the truncation inside the integer range.
    const double clamped = std::clamp(*value, static_cast<double>(std::numeric_limits<int>::min()),
                                      static_cast<double>(std::numeric_limits<int>::max()));
    return static_cast<int>(clamped);
}

} // namespace vantrel
