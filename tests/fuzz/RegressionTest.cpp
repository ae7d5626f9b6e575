// Every seed and every input the fuzzer once broke the reader with now ends cleanly.
#include "storage/DataFile.h"
#include "tests/fuzz/RoundTrip.h"
#include "tests/fuzz/Seeds.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tamblero::fuzz {
namespace {

TEST(FuzzSeeds, EveryVersionReadsAndWritesBackStably) {
    for (const Seed& seed : MakeSeeds()) {
        SCOPED_TRACE(seed.name);
        const ReadResult result = ReadDataFile(seed.bytes, CAccountList{});
        EXPECT_EQ(CheckDataFile(seed.bytes), "");
        if (!seed.readable) {
            EXPECT_FALSE(result.data);
            continue;
        }
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
        EXPECT_EQ(CheckDataFile(test::ReadBytes(file.path())), "");
        ++count;
    }
    EXPECT_GT(count, 0) << "no inputs in " << folder;
}

TEST(FuzzRegressions, NestingIsAcceptedUpToTheLimitAndRefusedOneLevelBeyond) {
    // The deepest nesting the reader allows loads; one level more is refused with a reason.
    const auto read = [](const char* name) {
        const std::vector<std::uint8_t> bytes =
            test::ReadBytes(std::filesystem::path(TAMBLERO_FUZZ_REGRESSIONS) / name);
        EXPECT_FALSE(bytes.empty()) << name;
        return ReadDataFile(bytes, CAccountList{});
    };
    const ReadResult deepest = read("deepest-nesting-accepted");
    EXPECT_TRUE(deepest.data) << deepest.error;
    const ReadResult tooDeep = read("nesting-one-too-deep");
    EXPECT_FALSE(tooDeep.data);
    EXPECT_FALSE(tooDeep.error.empty());
}

} // namespace
} // namespace tamblero::fuzz
