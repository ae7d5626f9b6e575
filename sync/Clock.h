// A hybrid logical clock: stamps that order every change of every device, close to the wall
// time, and that a change made after seeing another's always follows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tamblero {

// A device's lasting id: 64 random bits, made once per device. 0 names no device: a zeroed
// record reads as it, so no stamp that names it is taken.
enum class DeviceId : std::uint64_t { None = 0 };

// The id from 8 random bytes (read big-endian); none from 8 zeros, which only a broken random
// source gives.
[[nodiscard]] std::optional<DeviceId> MakeDeviceId(std::span<const std::uint8_t, 8> random);
// 16 lower-case hex digits.
[[nodiscard]] std::string DeviceIdText(DeviceId device);

// A moment of one device: the wall's milliseconds since the Unix epoch (48 bits, to the year
// 10889), a counter for the stamps within one millisecond, and the device. Ordered by millis,
// then counter, then device, so two devices never make equal stamps.
class CStamp final {
public:
    static constexpr std::uint64_t kMaxMillis = (std::uint64_t{1} << 48) - 1;
    static constexpr std::size_t kSize = 16;
    using Bytes = std::array<std::uint8_t, kSize>;

    // Before every stamp a clock makes.
    constexpr CStamp() = default;
    // Millis past the 48 bits are held at the last.
    constexpr CStamp(std::uint64_t millis, std::uint16_t counter, DeviceId device)
        : m_time((millis < kMaxMillis ? millis : kMaxMillis) << 16 | counter), m_device(device) {}

    [[nodiscard]] constexpr std::uint64_t Millis() const { return m_time >> 16; }
    [[nodiscard]] constexpr std::uint16_t Counter() const {
        return static_cast<std::uint16_t>(m_time & 0xFFFF);
    }
    [[nodiscard]] constexpr DeviceId Device() const { return m_device; }
    // Plain comparisons, not <=>: Qt's moc, which reads the headers of the window's models,
    // cannot parse <compare>.
    constexpr bool operator==(const CStamp&) const = default;
    friend constexpr bool operator<(const CStamp& a, const CStamp& b) {
        return a.m_time != b.m_time ? a.m_time < b.m_time : a.m_device < b.m_device;
    }
    friend constexpr bool operator>(const CStamp& a, const CStamp& b) { return b < a; }
    friend constexpr bool operator<=(const CStamp& a, const CStamp& b) { return !(b < a); }
    friend constexpr bool operator>=(const CStamp& a, const CStamp& b) { return !(a < b); }

    // Big-endian: 6 bytes of millis, 2 of counter, 8 of device, so that the bytes sort as the
    // stamps do.
    [[nodiscard]] Bytes Encode() const;
    // None unless exactly kSize bytes naming a device.
    [[nodiscard]] static std::optional<CStamp> Decode(std::span<const std::uint8_t> bytes);
    // "2026-12-09T13:58:23.123Z-0001-0123456789abcdef": the UTC time, the counter and the device
    // in hex.
    [[nodiscard]] std::string Text() const;

private:
    // The millis above the counter in one word: sixteen bytes a stamp, as a document may hold
    // one for each of a million expenses, ordered as the millis, then the counter.
    std::uint64_t m_time = 0;
    DeviceId m_device = DeviceId::None;
};
static_assert(sizeof(CStamp) == 16);

// One device's clock. The caller gives the wall's time (the core reads no clock of its own).
//
// Skew: a remote stamp is always followed, however far ahead of this machine's wall it is. A
// change made here after a merge must follow what it replaces; were the clock to stop short of
// a remote stamp from a fast clock (a second system on the machine that keeps local time in the
// hardware clock is hours ahead), the next merge would give the field back to the older remote
// value and the user's change would be lost. Following costs only stamps ahead of the wall
// until it catches up, which nothing reads as a date. So nothing is refused for skew, and
// IsFarAhead only lets the caller say that another device's clock is fast.
//
// Within one millisecond the counter gives 65,536 stamps; the next carries into the
// millisecond, running ahead of the wall by as much, so a burst of changes is never refused.
// A clock refuses only when the 48 bits of millis are used up, which only a damaged remote
// stamp near the year 10889 could bring about.
class CClock final {
public:
    // How far ahead of the wall a remote stamp is called far ahead: beyond what clocks kept by
    // a time service differ by.
    static constexpr std::int64_t kMaxDriftMillis = 5 * 60 * 1000;

    // Starts before every stamp; the stamps already in the data file are received to resume.
    explicit CClock(DeviceId device) : m_device(device) {}

    [[nodiscard]] DeviceId Device() const { return m_device; }
    // The last stamp made; before the first, the zero stamp of this device.
    [[nodiscard]] CStamp Last() const { return m_last; }

    // A stamp for a change made here: after every stamp this clock made or received, at the
    // wall's time where that is later. None when no later stamp exists; the clock stays.
    [[nodiscard]] std::optional<CStamp> Send(std::int64_t nowMillis);
    // A stamp after both the remote one and every stamp made or received here, so that a change
    // made after seeing the remote one follows it. None, the clock unchanged, as for Send.
    [[nodiscard]] std::optional<CStamp> Receive(const CStamp& remote, std::int64_t nowMillis);

    // Whether the remote stamp is more than kMaxDriftMillis ahead of the wall.
    [[nodiscard]] static bool IsFarAhead(const CStamp& remote, std::int64_t nowMillis);

private:
    std::optional<CStamp> After(const CStamp& last, std::int64_t nowMillis);

    DeviceId m_device;
    CStamp m_last{0, 0, m_device};
};

} // namespace tamblero
