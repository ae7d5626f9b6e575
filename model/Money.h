// Amounts and balances are signed 32-bit whole units that wrap on overflow,
// as the data file and every total have always treated them.
#pragma once

#include <cstdint>

namespace tamblero {

using Amount = std::int32_t;

// a + b with two's-complement wrap-around instead of undefined behaviour.
[[nodiscard]] constexpr Amount WrapAdd(Amount a, Amount b) {
    return static_cast<Amount>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
[[nodiscard]] constexpr Amount WrapNeg(Amount a) {
    return static_cast<Amount>(0U - static_cast<std::uint32_t>(a));
}

} // namespace tamblero
