#pragma once
// SMC data types and their byte encodings, as the SMC keeps them: flt little-endian;
// ui16, ui32, sp78 and fpe2 big-endian. Plain C++ (no Qt): the smc tool links this.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::smc {

enum class SmcType {
    Flt,
    Ui8,
    Ui16,
    Ui32,
    Sp78,
    Fpe2
};

using Bytes = std::vector<std::uint8_t>;

// The four-character type code ("flt ", "ui8 ", "ui16" …).
std::string typeCode(SmcType type);
// The code with trailing spaces written as '_' ("flt_"), as the key file stores it.
std::string fileTypeCode(SmcType type);
// Accepts both spellings ("flt " and "flt_").
std::optional<SmcType> typeFromCode(std::string_view code);
std::size_t byteSize(SmcType type);

// Encodes a value, clamped to what the type can hold (integers and fixed point round to nearest).
Bytes encode(SmcType type, double value);
// Decodes bytes of the type's size (fpe2 keeps its two fraction bits); nothing for a wrong size.
std::optional<double> decode(SmcType type, const Bytes& bytes);

// Lower-case hex without separators, and back (nothing for odd length or a non-hex digit).
std::string toHex(const Bytes& bytes);
std::optional<Bytes> fromHex(std::string_view hex);

} // namespace vantrel::smc
