#pragma once
// The 80-byte parameter block the SMC user client exchanges in both directions, with its
// fields at fixed offsets and its integers in the host's byte order.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include <QString>

namespace vantrel {

struct SMCParamBlock {
    static constexpr std::size_t size = 80;
    static constexpr std::size_t valueCapacity = 32;
    // The struct method selector of the SMC user client that carries this block.
    static constexpr std::uint32_t selector = 2;
    static constexpr std::uint8_t commandReadKeyInfo = 9;
    static constexpr std::uint8_t commandReadKey = 5;
    // Result byte the SMC sets for a key it does not know.
    static constexpr std::uint8_t resultKeyNotFound = 132;

    std::uint32_t key = 0; // offset 0
    std::uint32_t dataSize = 0; // offset 28
    std::uint32_t dataType = 0; // offset 32
    std::uint8_t dataAttributes = 0; // offset 36
    std::uint8_t result = 0; // offset 40
    std::uint8_t status = 0; // offset 41
    std::uint8_t command = 0; // offset 42
    std::uint32_t data32 = 0; // offset 44
    std::array<std::uint8_t, valueCapacity> bytes{}; // offset 48

    using Bytes = std::array<std::uint8_t, size>;
    // Reserved and padding bytes are written as zero.
    Bytes encode() const;
    static SMCParamBlock decode(const std::uint8_t* block);
};

// The four characters of a key or data type folded into a code, first character in the
// most significant byte; nothing unless the text is exactly four bytes of UTF-8.
std::optional<std::uint32_t> smcFourCharCode(const QString& text);
// A code rendered back as four characters, most significant byte first, each byte taken
// as the Unicode scalar of its value.
QString smcFourCharString(std::uint32_t code);

} // namespace vantrel
