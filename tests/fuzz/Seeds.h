// Data files of every version, to start the fuzzer from: well-formed ones to keep valid, and
// ones the reader must refuse.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamblero::fuzz {

struct Seed {
    std::string name;
    std::uint32_t version = 0;
    std::vector<std::uint8_t> bytes;
    bool readable = true; // false: a damaged file the reader must refuse with a reason
};

// Version 2 through the program's own writer, with and without notes, identities and a
// section of an unknown id in the extension block, versions 0 and 1 built by hand; each with and
// without entries; and a block whose count of notes is hostile.
[[nodiscard]] std::vector<Seed> MakeSeeds();

} // namespace tamblero::fuzz
