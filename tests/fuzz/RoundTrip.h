// What every data-file input must satisfy, shared by the fuzz target and its regression test.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tamblero::fuzz {

// Reads the bytes as a data file. A refused file must say why; an accepted one is
// installed as the program installs it, written back, and must read again to the same
// day span and write again to the same bytes. Answers what went wrong, or "" when
// nothing did.
[[nodiscard]] std::string CheckDataFile(std::span<const std::uint8_t> bytes);

} // namespace tamblero::fuzz
