#pragma once
// Unsigned 64-bit sums and products that report overflow instead of wrapping, for memory
// figures computed from counters a kernel (or a broken fixture) hands us.
#include <cstdint>
#include <initializer_list>
#include <optional>

namespace vantrel {

inline std::optional<std::uint64_t> checkedSum(std::initializer_list<std::uint64_t> values)
{
    std::uint64_t sum = 0;
    for (const auto v : values)
        if (__builtin_add_overflow(sum, v, &sum))
            return std::nullopt;
    return sum;
}

inline std::optional<std::uint64_t> checkedProduct(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return std::nullopt;
    return product;
}

} // namespace vantrel
