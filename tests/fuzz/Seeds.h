// Well-formed data files of every version, to start the fuzzer from and to keep valid.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamblero::fuzz {

struct Seed {
    std::string name;
    std::uint32_t version = 0;
    std::vector<std::uint8_t> bytes;
};

// Version 2 through the program's own writer, versions 0 and 1 built by hand; each
// with and without entries.
[[nodiscard]] std::vector<Seed> MakeSeeds();

} // namespace tamblero::fuzz
