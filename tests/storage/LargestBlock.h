// The largest block the program asks operator new for while a piece of code runs: this test
// executable replaces the global operator new to see it.
#pragma once

#include <cstddef>
#include <functional>

namespace tamblero::test {

[[nodiscard]] std::size_t LargestBlockDuring(const std::function<void()>& run);

} // namespace tamblero::test
