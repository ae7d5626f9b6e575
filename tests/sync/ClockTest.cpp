// The clock's stamps only ever increase, follow every stamp received, never collide between
// devices, and keep their order in their bytes.
#include "sync/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <vector>

namespace tamblero {

void PrintTo(const CStamp& stamp, std::ostream* out) {
    *out << stamp.Text();
}

namespace {

constexpr DeviceId kHere{0x1111};
constexpr std::uint16_t kFull = 0xFFFF;
constexpr std::int64_t kNow = 1'796'824'703'123; // 2026-12-09T13:58:23.123Z
constexpr std::uint64_t kDay = 24 * 60 * 60 * 1000, kMax = CStamp::kMaxMillis;

const auto Here = [](std::uint64_t m, std::uint16_t c) { return CStamp(m, c, kHere); };
const auto There = [](std::uint64_t m, std::uint16_t c) { return CStamp(m, c, DeviceId{0x2222}); };

// Each row states the invariant its calls show on a fresh clock: Send at a wall's time, or
// Receive a remote stamp at it, and the stamp it must give.
TEST(Clock, Steps) {
    const std::uint64_t now = kNow;
    struct Step {
        std::int64_t now;
        std::optional<CStamp> remote, expected;
    };
    const struct {
        const char* invariant;
        std::vector<Step> steps;
    } cases[] = {
        {"the wall's time, and the counter within a millisecond, also when the wall goes back",
         {{kNow, {}, Here(now, 0)},
          {kNow - 9, {}, Here(now, 1)},
          {kNow + 1, {}, Here(now + 1, 0)}}},
        {"a remote stamp ahead is passed, and later stamps stay past it",
         {{kNow, There(now + 5, 7), Here(now + 5, 8)}, {kNow, {}, Here(now + 5, 9)}}},
        {"a remote stamp behind the wall leaves the wall's time",
         {{kNow + 9, There(now, 500), Here(now + 9, 0)}}},
        {"in one millisecond, the larger counter of the two is passed",
         {{kNow, There(now, 5), Here(now, 6)}, {kNow, There(now, 2), Here(now, 7)}}},
        {"a full counter carries into the next millisecond, refusing nothing",
         {{kNow, There(now, kFull), Here(now + 1, 0)}, {kNow, {}, Here(now + 1, 1)}}},
        {"a remote clock a day fast is followed: a change after it must win over it",
         {{kNow, There(now + kDay, 0), Here(now + kDay, 1)}, {kNow, {}, Here(now + kDay, 2)}}},
        {"a wall before 1970 or past the 48 bits is held within them",
         {{-5, {}, Here(0, 1)}, {INT64_MAX, {}, Here(kMax, 0)}, {kNow, {}, Here(kMax, 1)}}},
        {"only when the 48 bits are used up is a stamp refused, the clock unchanged",
         {{kNow, There(kMax, kFull - 1), Here(kMax, kFull)}, {kNow, {}, std::nullopt}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.invariant);
        CClock clock(kHere);
        for (const Step& step : c.steps) {
            const CStamp before = clock.Last();
            const auto stamp =
                step.remote ? clock.Receive(*step.remote, step.now) : clock.Send(step.now);
            EXPECT_EQ(stamp, step.expected);
            EXPECT_EQ(clock.Last(), stamp.value_or(before));
        }
    }
    EXPECT_FALSE(CClock::IsFarAhead(There(now + CClock::kMaxDriftMillis, kFull), kNow));
    EXPECT_TRUE(CClock::IsFarAhead(There(now + CClock::kMaxDriftMillis + 1, 0), kNow));
}

// Three devices sending and receiving at random, with walls that are skewed and go back:
// every stamp is new, each clock's stamps increase, and a received stamp is passed.
TEST(Clock, RandomTrafficBetweenThreeDevices) {
    std::mt19937_64 random(20261209);
    std::vector<CClock> clocks{CClock(DeviceId{1}), CClock(DeviceId{2}), CClock(DeviceId{3})};
    std::int64_t walls[] = {kNow, kNow + 3 * 3600 * 1000, kNow - 90'000};
    std::vector<CStamp> issued{CStamp()};
    std::set<CStamp> seen;
    for (int i = 0; i < 200'000; ++i) {
        const std::size_t k = random() % 3;
        const auto roll = random() % 1000;
        walls[k] += roll < 600 ? 0 : roll < 990 ? static_cast<std::int64_t>(roll % 7) : -60'000;
        const CStamp last = clocks[k].Last();
        const bool receive = roll % 4 == 0;
        const CStamp remote = receive ? issued[random() % issued.size()] : CStamp();
        const auto stamp = receive ? clocks[k].Receive(remote, walls[k]) : clocks[k].Send(walls[k]);
        ASSERT_TRUE(stamp);
        ASSERT_GT(*stamp, std::max(last, remote));
        ASSERT_EQ(stamp->Device(), clocks[k].Device());
        ASSERT_TRUE(seen.insert(*stamp).second) << stamp->Text();
        issued.push_back(*stamp);
    }
}

// The bytes give the stamp back, sort as the stamps do, and are read only when well formed.
TEST(Stamp, Bytes) {
    std::vector<CStamp> stamps; // made in increasing order
    for (const auto millis : std::initializer_list<std::uint64_t>{0, 1, 1ULL << 40, kMax})
        for (const auto counter : std::initializer_list<std::uint16_t>{0, 1, 0x100, kFull})
            for (const std::uint64_t device : {1ULL, 0x100ULL, ~0ULL})
                stamps.emplace_back(millis, counter, DeviceId{device});
    std::vector<CStamp::Bytes> bytes;
    for (const CStamp& s : stamps) {
        bytes.push_back(s.Encode());
        ASSERT_EQ(CStamp::Decode(bytes.back()), s);
    }
    const auto increasing = [](const auto& v) {
        return std::adjacent_find(v.begin(), v.end(), std::greater_equal<>()) == v.end();
    };
    EXPECT_TRUE(increasing(stamps));
    EXPECT_TRUE(increasing(bytes));
    EXPECT_EQ(There(0x0102'0304'0506, 0x0708).Encode(),
              (CStamp::Bytes{1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0, 0, 0, 0x22, 0x22}));

    using Span = std::span<const std::uint8_t>;
    std::vector<std::uint8_t> longer(bytes[0].begin(), bytes[0].end());
    longer.push_back(0);
    const CStamp::Bytes noDevice = CStamp(kNow, 1, DeviceId::None).Encode();
    for (const Span bad : {Span(longer).first(15), Span(longer), Span(noDevice), Span()})
        EXPECT_FALSE(CStamp::Decode(bad)) << bad.size() << " bytes";
}

// The texts name the moment in UTC, the counter and the device.
TEST(Stamp, Texts) {
    EXPECT_EQ(CStamp(kNow, 10, DeviceId{0x0123'4567'89ab'cdef}).Text(),
              "2026-12-09T13:58:23.123Z-000a-0123456789abcdef");
    EXPECT_EQ(Here(kMax, kFull).Text(), "10889-08-02T05:31:50.655Z-ffff-0000000000001111");

    const std::uint8_t random[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
    EXPECT_EQ(MakeDeviceId(random), DeviceId{0x0123'4567'89ab'cdef});
    EXPECT_FALSE(MakeDeviceId(std::array<std::uint8_t, 8>{})) << "a broken random source";
}

} // namespace
} // namespace tamblero
