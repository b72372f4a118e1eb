#include "smc/SmcType.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vantrel::smc {

namespace {

struct TypeRow {
    SmcType type;
    const char* code;
    std::size_t size;
};

constexpr TypeRow kTypes[] = {
    {SmcType::Flt, "flt ", 4},  {SmcType::Ui8, "ui8 ", 1},  {SmcType::Ui16, "ui16", 2},
    {SmcType::Ui32, "ui32", 4}, {SmcType::Sp78, "sp78", 2}, {SmcType::Fpe2, "fpe2", 2},
};

const TypeRow& row(SmcType type)
{
    for (const auto& r : kTypes)
        if (r.type == type)
            return r;
    return kTypes[0];
}

Bytes bigEndian(std::uint64_t value, std::size_t size)
{
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i)
        out[size - 1 - i] = static_cast<std::uint8_t>(value >> (8 * i));
    return out;
}

std::uint64_t fromBigEndian(const Bytes& bytes)
{
    std::uint64_t v = 0;
    for (auto b : bytes)
        v = (v << 8) | b;
    return v;
}

// Rounds and clamps into [lo, hi]; NaN becomes lo.
double clampRounded(double value, double lo, double hi)
{
    if (std::isnan(value))
        return lo;
    return std::clamp(std::round(value), lo, hi);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string typeCode(SmcType type) { return row(type).code; }

std::string fileTypeCode(SmcType type)
{
    std::string code = typeCode(type);
    std::replace(code.begin(), code.end(), ' ', '_');
    return code;
}

std::optional<SmcType> typeFromCode(std::string_view code)
{
    if (code.size() != 4)
        return std::nullopt;
    std::string normal(code);
    std::replace(normal.begin(), normal.end(), '_', ' ');
    for (const auto& r : kTypes)
        if (normal == r.code)
            return r.type;
    return std::nullopt;
}

std::size_t byteSize(SmcType type) { return row(type).size; }

Bytes encode(SmcType type, double value)
{
    switch (type) {
    case SmcType::Flt: {
        float f = std::isnan(value) ? 0.0f : static_cast<float>(std::clamp(value, -3.0e38, 3.0e38));
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        Bytes out(4);
        for (std::size_t i = 0; i < 4; ++i)
            out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
        return out;
    }
    case SmcType::Ui8:
        return bigEndian(static_cast<std::uint64_t>(clampRounded(value, 0, 255)), 1);
    case SmcType::Ui16:
        return bigEndian(static_cast<std::uint64_t>(clampRounded(value, 0, 65535)), 2);
    case SmcType::Ui32:
        return bigEndian(static_cast<std::uint64_t>(clampRounded(value, 0, 4294967295.0)), 4);
    case SmcType::Sp78: {
        // Signed 7.8 fixed point: the 16-bit two's-complement word of value × 256.
        const auto word = static_cast<std::int32_t>(clampRounded(value * 256.0, -32768, 32767));
        return bigEndian(static_cast<std::uint16_t>(word), 2);
    }
    case SmcType::Fpe2:
        // Unsigned 14.2 fixed point: value × 4.
        return bigEndian(static_cast<std::uint64_t>(clampRounded(value * 4.0, 0, 65535)), 2);
    }
    return {};
}

std::optional<double> decode(SmcType type, const Bytes& bytes)
{
    if (bytes.size() != byteSize(type))
        return std::nullopt;
    switch (type) {
    case SmcType::Flt: {
        std::uint32_t bits = 0;
        for (std::size_t i = 0; i < 4; ++i)
            bits |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
        float f = 0;
        std::memcpy(&f, &bits, sizeof f);
        return static_cast<double>(f);
    }
    case SmcType::Ui8:
    case SmcType::Ui16:
    case SmcType::Ui32:
        return static_cast<double>(fromBigEndian(bytes));
    case SmcType::Sp78:
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(fromBigEndian(bytes))) / 256.0;
    case SmcType::Fpe2:
        return static_cast<double>(fromBigEndian(bytes)) / 4.0;
    }
    return std::nullopt;
}

std::string toHex(const Bytes& bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (auto b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0xf]);
    }
    return out;
}

std::optional<Bytes> fromHex(std::string_view hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    Bytes out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = hexDigit(hex[i]);
        const int lo = hexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return out;
}

} // namespace vantrel::smc
