#include "sync/Clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

namespace tamblero {

namespace {

constexpr char kHex[] = "0123456789abcdef";

std::uint64_t ReadBigEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (const std::uint8_t b : bytes)
        value = value << 8 | b;
    return value;
}

void WriteBigEndian(std::uint64_t value, std::span<std::uint8_t> bytes) {
    for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
        *it = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

} // namespace

std::optional<DeviceId> MakeDeviceId(std::span<const std::uint8_t, 8> random) {
    const std::uint64_t value = ReadBigEndian(random);
    if (value == 0)
        return std::nullopt;
    return DeviceId{value};
}

std::string DeviceIdText(DeviceId device) {
    std::string text(16, '0');
    auto value = static_cast<std::uint64_t>(device);
    for (auto it = text.rbegin(); it != text.rend(); ++it, value >>= 4)
        *it = kHex[value & 0xF];
    return text;
}

CStamp::Bytes CStamp::Encode() const {
    Bytes bytes{};
    const std::span<std::uint8_t> out(bytes);
    WriteBigEndian(Millis(), out.first(6));
    WriteBigEndian(Counter(), out.subspan(6, 2));
    WriteBigEndian(static_cast<std::uint64_t>(m_device), out.last(8));
    return bytes;
}

std::optional<CStamp> CStamp::Decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kSize)
        return std::nullopt;
    const auto device = DeviceId{ReadBigEndian(bytes.last(8))};
    if (device == DeviceId::None)
        return std::nullopt;
    return CStamp(ReadBigEndian(bytes.first(6)),
                  static_cast<std::uint16_t>(ReadBigEndian(bytes.subspan(6, 2))), device);
}

std::string CStamp::Text() const {
    using namespace std::chrono;
    const sys_time<milliseconds> time{milliseconds{Millis()}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[64];
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ-%04x-", int{date.year()},
        unsigned{date.month()}, unsigned{date.day()}, static_cast<int>(clock.hours().count()),
        static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()),
        static_cast<int>(clock.subseconds().count()), unsigned{Counter()});
    return text + DeviceIdText(m_device);
}

std::optional<CStamp> CClock::Send(std::int64_t nowMillis) {
    return After(m_last, nowMillis);
}

std::optional<CStamp> CClock::Receive(const CStamp& remote, std::int64_t nowMillis) {
    return After(std::max(m_last, remote), nowMillis);
}

bool CClock::IsFarAhead(const CStamp& remote, std::int64_t nowMillis) {
    const std::int64_t now = std::clamp<std::int64_t>(nowMillis, 0, CStamp::kMaxMillis);
    return remote.Millis() > static_cast<std::uint64_t>(now + kMaxDriftMillis);
}

// The first stamp of this device after `last`: at the wall's time if that is later, else the
// next count within last's millisecond, else the first of the next millisecond.
std::optional<CStamp> CClock::After(const CStamp& last, std::int64_t nowMillis) {
    const auto now =
        static_cast<std::uint64_t>(std::clamp<std::int64_t>(nowMillis, 0, CStamp::kMaxMillis));
    if (now > last.Millis())
        m_last = CStamp(now, 0, m_device);
    else if (last.Counter() < std::numeric_limits<std::uint16_t>::max())
        m_last = CStamp(last.Millis(), static_cast<std::uint16_t>(last.Counter() + 1), m_device);
    else if (last.Millis() < CStamp::kMaxMillis)
        m_last = CStamp(last.Millis() + 1, 0, m_device);
    else
        return std::nullopt;
    return m_last;
}

} // namespace tamblero
