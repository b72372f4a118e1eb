#include "platform/SMCParamBlock.h"

#include <cstring>

namespace vantrel {
namespace {

constexpr std::size_t keyOffset = 0;
constexpr std::size_t dataSizeOffset = 28;
constexpr std::size_t dataTypeOffset = 32;
constexpr std::size_t attributesOffset = 36;
constexpr std::size_t resultOffset = 40;
constexpr std::size_t statusOffset = 41;
constexpr std::size_t commandOffset = 42;
constexpr std::size_t data32Offset = 44;
constexpr std::size_t bytesOffset = 48;
static_assert(bytesOffset + SMCParamBlock::valueCapacity == SMCParamBlock::size);

void put32(SMCParamBlock::Bytes& out, std::size_t offset, std::uint32_t value)
{
    std::memcpy(out.data() + offset, &value, sizeof value);
}

std::uint32_t get32(const std::uint8_t* in, std::size_t offset)
{
    std::uint32_t value = 0;
    std::memcpy(&value, in + offset, sizeof value);
    return value;
}

} // namespace

SMCParamBlock::Bytes SMCParamBlock::encode() const
{
    Bytes out{};
    put32(out, keyOffset, key);
    put32(out, dataSizeOffset, dataSize);
    put32(out, dataTypeOffset, dataType);
    out[attributesOffset] = dataAttributes;
    out[resultOffset] = result;
    out[statusOffset] = status;
    out[commandOffset] = command;
    put32(out, data32Offset, data32);
    std::memcpy(out.data() + bytesOffset, bytes.data(), bytes.size());
    return out;
}

SMCParamBlock SMCParamBlock::decode(const std::uint8_t* block)
{
    SMCParamBlock b;
    b.key = get32(block, keyOffset);
    b.dataSize = get32(block, dataSizeOffset);
    b.dataType = get32(block, dataTypeOffset);
    b.dataAttributes = block[attributesOffset];
    b.result = block[resultOffset];
    b.status = block[statusOffset];
    b.command = block[commandOffset];
    b.data32 = get32(block, data32Offset);
    std::memcpy(b.bytes.data(), block + bytesOffset, b.bytes.size());
    return b;
}

std::optional<std::uint32_t> smcFourCharCode(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() != 4)
        return std::nullopt;
    std::uint32_t code = 0;
    for (const char c : utf8)
        code = code * 256 + static_cast<std::uint8_t>(c);
    return code;
}

QString smcFourCharString(std::uint32_t code)
{
    QString s;
    for (int shift = 24; shift >= 0; shift -= 8)
        s.append(QChar(static_cast<char16_t>((code >> shift) & 0xFF)));
    return s;
}

} // namespace vantrel
