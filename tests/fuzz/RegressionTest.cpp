// Every seed and every input the fuzzer once broke the reader with now ends cleanly.
#include "storage/DataFile.h"
#include "tests/fuzz/RoundTrip.h"
#include "tests/fuzz/Seeds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tamblero::fuzz {
namespace {

TEST(FuzzSeeds, EveryVersionReadsAndWritesBackStably) {
    for (const Seed& seed : MakeSeeds()) {
        SCOPED_TRACE(seed.name);
        const ReadResult result = ReadDataFile(seed.bytes, CAccountList{});
        ASSERT_TRUE(result.data) << result.error;
        EXPECT_EQ(result.data->version, seed.version);
        EXPECT_EQ(CheckDataFile(seed.bytes), "");
    }
}

TEST(FuzzRegressions, EveryKeptInputEndsCleanly) {
    const std::filesystem::path folder = TAMBLERO_FUZZ_REGRESSIONS;
    int count = 0;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        if (!file.is_regular_file() || file.path().extension() == ".md") {
            continue;
        }
        SCOPED_TRACE(file.path().filename().string());
        std::ifstream in(file.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        EXPECT_EQ(CheckDataFile(bytes), "");
        ++count;
    }
    EXPECT_GT(count, 0) << "no inputs in " << folder;
}

} // namespace
} // namespace tamblero::fuzz
