// Little-endian byte records over a buffer, with the archive's string record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tamblero {

// A read that runs past the end or meets an impossible record.
class CArchiveError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Little-endian fields at a place in memory, whatever its alignment.
inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8U);
    p[2] = static_cast<std::uint8_t>(v >> 16U);
    p[3] = static_cast<std::uint8_t>(v >> 24U);
}
[[nodiscard]] inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8U |
           static_cast<std::uint32_t>(p[2]) << 16U | static_cast<std::uint32_t>(p[3]) << 24U;
}
[[nodiscard]] inline std::uint16_t LoadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8U);
}

// The string record: an optional wide tag, then a length in escalating form (a byte,
// else the marker and a 16-bit length, else both markers and a 32-bit length, else
// a third marker and a 64-bit one), then the characters.
inline constexpr std::uint8_t kStringByteMarker = 0xFF;          // a wider length follows
inline constexpr std::uint16_t kStringWideTag = 0xFFFE;          // after the byte marker: UTF-16
inline constexpr std::uint16_t kStringWordMarker = 0xFFFF;       // a 32-bit length follows
inline constexpr std::uint32_t kStringDwordMarker = 0xFFFFFFFFU; // a 64-bit length follows

class CArchiveWriter final {
public:
    void WriteU8(std::uint8_t v) { m_bytes.push_back(v); }
    void WriteU16(std::uint16_t v);
    void WriteU32(std::uint32_t v) { StoreU32(Extend(4), v); }
    void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
    // The byte marker, the wide tag, the length in escalating form, then UTF-16LE units.
    void WriteString(const std::u16string& s);
    // The bytes WriteString takes for s.
    [[nodiscard]] static std::size_t StringRecordSize(const std::u16string& s);

    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    std::vector<std::uint8_t> Take() { return std::move(m_bytes); }
    void Reserve(std::size_t n) { m_bytes.reserve(n); }
    // n more bytes at the end for the caller to fill, valid until the next write.
    std::uint8_t* Extend(std::size_t n) {
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + n);
        return m_bytes.data() + at;
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Bytes a reader takes from outside memory, a file's, read as the reader reaches them.
class IArchiveSource {
public:
    virtual ~IArchiveSource() = default;
    // Up to n bytes from the offset into out: how many, none only where the bytes end.
    virtual std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) = 0;
};

// Frees what std::malloc gave.
struct CFreeBytes {
    void operator()(std::uint8_t* p) const noexcept { std::free(p); }
};
using MallocedBytes = std::unique_ptr<std::uint8_t[], CFreeBytes>;

// As many bytes of a source as it is said to hold, in a buffer of that size filled from the
// front as readers reach them. A run that is copied elsewhere (CArchiveReader::CopyTo) goes
// there from the source itself: those bytes take no memory twice, and the buffer's pages
// under them are never touched.
class CArchiveBuffer final {
public:
    // A reader asks for a few bytes at a time and is given more: a few reads for a file.
    static constexpr std::size_t kReadAhead = std::size_t{256} << 10U;

    CArchiveBuffer(IArchiveSource& source, std::size_t size, std::size_t readAhead = kReadAhead);

    // The bytes before at least `end` (at most the size) in the buffer, a little more read
    // ahead: answers where they end. Throws CArchiveError when the source ends first.
    std::size_t FillTo(std::size_t end);
    // The n bytes at `from` into out, where every byte before `from` has been read: what the
    // buffer holds of them from it, the rest from the source.
    void CopyOut(std::size_t from, std::uint8_t* out, std::size_t n);
    // The bytes from `from` to the end, where every byte before `from` has been read, moved
    // to the front of the buffer over those: what the buffer holds of them moved, the rest
    // read from the source in pieces, `arrived` given the first ones each time more are there.
    // Then the buffer, a block of std::malloc's shrunk to them, is the caller's, and no byte
    // is read any more: a long last run that must live on takes the memory the bytes before
    // it no longer need.
    MallocedBytes TakeRest(std::size_t from,
                           const std::function<void(std::span<const std::uint8_t>)>& arrived);

    [[nodiscard]] const std::uint8_t* Data() const { return m_bytes.get(); }
    [[nodiscard]] std::size_t Size() const { return m_size; }
    // The n bytes at `from` into out, straight from the source: the buffer is not touched, so
    // what it holds and will read stays as it was.
    void Look(std::size_t from, std::uint8_t* out, std::size_t n) { Read(from, out, n); }

private:
    void Read(std::size_t from, std::uint8_t* out, std::size_t n);

    IArchiveSource& m_source;
    MallocedBytes m_bytes;
    std::size_t m_size;
    std::size_t m_readAhead;
    std::size_t m_taken = 0; // the source's bytes before this are read, here or elsewhere
};

class CArchiveReader final {
public:
    explicit CArchiveReader(std::span<const std::uint8_t> bytes)
        : m_data(bytes.data()), m_end(bytes.size()), m_filled(bytes.size()) {}
    // Over all of a buffer, filled as the reads reach its bytes.
    explicit CArchiveReader(CArchiveBuffer& buffer)
        : m_data(buffer.Data()), m_end(buffer.Size()), m_buffer(&buffer) {}

    std::uint8_t ReadU8();
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
    std::int32_t ReadI32() { return static_cast<std::int32_t>(ReadU32()); }
    std::u16string ReadString();
    void Skip(std::size_t n);
    // The next n bytes as they are, checked once: for runs of fixed-size records.
    std::span<const std::uint8_t> ReadBytes(std::size_t n) {
        Need(n);
        const std::span<const std::uint8_t> bytes(m_data + m_pos, n);
        m_pos += n;
        return bytes;
    }
    // The next n bytes, left to be read.
    std::span<const std::uint8_t> Peek(std::size_t n) {
        Need(n);
        return {m_data + m_pos, n};
    }
    // The next out.size() bytes into out, over a buffer straight from its source: for a long
    // run whose place is elsewhere.
    void CopyTo(std::span<std::uint8_t> out);
    // The out.size() bytes that end `back` bytes before the end of what is left, the reader
    // staying where it is: for a look at a file's end before reading up to it. Throws as a
    // read does.
    void LookBeforeEnd(std::size_t back, std::span<std::uint8_t> out);
    // The next n bytes as a reader of their own, which this one steps over.
    CArchiveReader Sub(std::size_t n);
    // Whether the bytes left are the last of a buffer, which TakeRest can hand over.
    [[nodiscard]] bool CanTakeRest() const {
        return m_buffer != nullptr && m_end == m_buffer->Size();
    }
    // The bytes left, as CArchiveBuffer::TakeRest gives them: nothing can be read after.
    MallocedBytes TakeRest(const std::function<void(std::span<const std::uint8_t>)>& arrived);
    // A count of records of at least minRecordSize bytes each: fails when negative
    // or when the bytes left cannot hold that many.
    std::size_t ReadCount(std::size_t minRecordSize);

    [[nodiscard]] std::size_t Remaining() const { return m_end - m_pos; }

private:
    void Need(std::size_t n) {
        if (n > Remaining()) {
            TooShort();
        }
        if (m_pos + n > m_filled) {
            Fill(m_pos + n);
        }
    }
    [[noreturn]] static void TooShort();
    void Fill(std::size_t end);

    const std::uint8_t* m_data;
    std::size_t m_pos = 0;
    std::size_t m_end;
    std::size_t m_filled = 0; // the bytes before this are in memory
    CArchiveBuffer* m_buffer = nullptr;
};

} // namespace tamblero
