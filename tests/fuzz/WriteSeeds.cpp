// Writes the seed files into the folder given, one file per seed.
#include "tests/fuzz/Seeds.h"
#include "tests/support/Files.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const auto& seed : tamblero::fuzz::MakeSeeds()) {
        if (!tamblero::test::WriteBytes(folder / seed.name, seed.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", seed.name.c_str());
            return 1;
        }
    }
    return 0;
}
