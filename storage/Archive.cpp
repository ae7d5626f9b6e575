#include "storage/Archive.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tamblero {

void CArchiveWriter::WriteU16(std::uint16_t v) {
    m_bytes.push_back(static_cast<std::uint8_t>(v & 0xFFU));
    m_bytes.push_back(static_cast<std::uint8_t>(v >> 8U));
}

namespace {

// The length field a string of n characters is written with. A length never takes a
// marker's or the tag's value: those go to the next wider field.
enum class LengthField { Byte, Word, Dword };

LengthField LengthFieldOf(std::size_t n) {
    if (n < kStringByteMarker) {
        return LengthField::Byte;
    }
    return n < kStringWideTag ? LengthField::Word : LengthField::Dword;
}

} // namespace

std::size_t CArchiveWriter::StringRecordSize(const std::u16string& s) {
    const std::size_t head = 1 + 2; // byte marker and wide tag
    std::size_t length = 1;
    switch (LengthFieldOf(s.size())) {
    case LengthField::Byte:
        break;
    case LengthField::Word:
        length += 2;
        break;
    case LengthField::Dword:
        length += 2 + 4;
        break;
    }
    return head + length + 2 * s.size();
}

void CArchiveWriter::WriteString(const std::u16string& s) {
    const std::size_t n = s.size();
    WriteU8(kStringByteMarker);
    WriteU16(kStringWideTag);
    switch (LengthFieldOf(n)) {
    case LengthField::Byte:
        WriteU8(static_cast<std::uint8_t>(n));
        break;
    case LengthField::Word:
        WriteU8(kStringByteMarker);
        WriteU16(static_cast<std::uint16_t>(n));
        break;
    case LengthField::Dword:
        WriteU8(kStringByteMarker);
        WriteU16(kStringWordMarker);
        WriteU32(static_cast<std::uint32_t>(n));
        break;
    }
    for (const char16_t c : s) {
        WriteU16(static_cast<std::uint16_t>(c));
    }
}

CArchiveBuffer::CArchiveBuffer(IArchiveSource& source, std::size_t size, std::size_t readAhead)
    // Left unset: the pages a load never reaches are never touched.
    : m_source(source),
      m_bytes(static_cast<std::uint8_t*>(std::malloc(std::max(size, std::size_t{1})))),
      m_size(size), m_readAhead(readAhead) {
    if (!m_bytes) {
        throw std::bad_alloc();
    }
}

std::size_t CArchiveBuffer::FillTo(std::size_t end) {
    if (end > m_taken) {
        const std::size_t to = std::min(m_size, std::max(end, m_taken + m_readAhead));
        Read(m_taken, m_bytes.get() + m_taken, to - m_taken);
        m_taken = to;
    }
    return m_taken;
}

void CArchiveBuffer::CopyOut(std::size_t from, std::uint8_t* out, std::size_t n) {
    const std::size_t held = from < m_taken ? std::min(n, m_taken - from) : 0;
    if (held != 0) {
        std::memcpy(out, m_bytes.get() + from, held);
    }
    if (held < n) {
        Read(from + held, out + held, n - held);
        m_taken = from + n;
    }
}

MallocedBytes
CArchiveBuffer::TakeRest(std::size_t from,
                         const std::function<void(std::span<const std::uint8_t>)>& arrived) {
    // Pieces that stay in the cache while the caller looks at them.
    constexpr std::size_t kPiece = std::size_t{64} << 10U;
    const std::size_t n = m_size - from;
    std::uint8_t* front = m_bytes.get();
    const std::size_t held = from < m_taken ? m_taken - from : 0;
    if (held != 0) {
        std::memmove(front, front + from, held);
        arrived({front, held});
    }
    for (std::size_t at = held; at < n;) {
        const std::size_t piece = std::min(kPiece, n - at);
        Read(from + at, front + at, piece);
        at += piece;
        arrived({front, at});
    }
    m_taken = m_size;
    // Shrinking keeps the bytes where they are; should it fail, the block stays as large.
    if (void* shrunk = std::realloc(front, std::max(n, std::size_t{1})); shrunk != nullptr) {
        static_cast<void>(m_bytes.release());
        m_bytes.reset(static_cast<std::uint8_t*>(shrunk));
    }
    return std::move(m_bytes);
}

void CArchiveBuffer::Read(std::size_t from, std::uint8_t* out, std::size_t n) {
    while (n != 0) {
        const std::size_t got = m_source.ReadAt(from, out, n);
        if (got == 0) {
            throw CArchiveError("the file ends before its records do");
        }
        from += got;
        out += got;
        n -= got;
    }
}

void CArchiveReader::TooShort() {
    throw CArchiveError("the file ends before its records do");
}

void CArchiveReader::Fill(std::size_t end) {
    m_filled = m_buffer->FillTo(end);
}

void CArchiveReader::LookBeforeEnd(std::size_t back, std::span<std::uint8_t> out) {
    if (back > Remaining() || out.size() > Remaining() - back) {
        TooShort();
    }
    const std::size_t from = m_end - back - out.size();
    if (m_buffer == nullptr || from + out.size() <= m_filled) {
        std::memcpy(out.data(), m_data + from, out.size());
    } else {
        m_buffer->Look(from, out.data(), out.size());
    }
}

void CArchiveReader::CopyTo(std::span<std::uint8_t> out) {
    if (out.size() > Remaining()) {
        TooShort();
    }
    if (m_buffer != nullptr && m_pos + out.size() > m_filled) {
        m_buffer->CopyOut(m_pos, out.data(), out.size());
    } else if (!out.empty()) {
        std::memcpy(out.data(), m_data + m_pos, out.size());
    }
    m_pos += out.size();
}

MallocedBytes
CArchiveReader::TakeRest(const std::function<void(std::span<const std::uint8_t>)>& arrived) {
    MallocedBytes rest = m_buffer->TakeRest(m_pos, arrived);
    m_pos = m_end;
    return rest;
}

CArchiveReader CArchiveReader::Sub(std::size_t n) {
    if (n > Remaining()) {
        TooShort();
    }
    CArchiveReader sub = *this;
    sub.m_end = m_pos + n;
    m_pos += n;
    return sub;
}

std::uint8_t CArchiveReader::ReadU8() {
    Need(1);
    return m_data[m_pos++];
}

std::uint16_t CArchiveReader::ReadU16() {
    Need(2);
    const auto v = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8U));
    m_pos += 2;
    return v;
}

std::uint32_t CArchiveReader::ReadU32() {
    Need(4);
    const std::uint32_t v = LoadU32(m_data + m_pos);
    m_pos += 4;
    return v;
}

void CArchiveReader::Skip(std::size_t n) {
    Need(n);
    m_pos += n;
}

std::size_t CArchiveReader::ReadCount(std::size_t minRecordSize) {
    const std::int32_t count = ReadI32();
    if (count < 0) {
        throw CArchiveError("a negative count");
    }
    const auto n = static_cast<std::size_t>(count);
    if (minRecordSize != 0 && n > Remaining() / minRecordSize) {
        throw CArchiveError("a count larger than the file can hold");
    }
    return n;
}

std::u16string CArchiveReader::ReadString() {
    std::uint64_t length = 0;
    bool wide = false;
    std::uint8_t b = ReadU8();
    if (b < kStringByteMarker) {
        length = b;
    } else {
        std::uint16_t w = ReadU16();
        if (w == kStringWideTag) {
            wide = true;
            b = ReadU8();
            if (b < kStringByteMarker) {
                length = b;
            } else {
                w = ReadU16();
            }
        }
        if (length == 0 && (b == kStringByteMarker)) {
            if (w < kStringWordMarker) {
                length = w;
            } else {
                const std::uint32_t d = ReadU32();
                if (d < kStringDwordMarker) {
                    length = d;
                } else {
                    Need(8);
                    length = static_cast<std::uint64_t>(ReadU32());
                    length |= static_cast<std::uint64_t>(ReadU32()) << 32U;
                }
            }
        }
    }
    const std::uint64_t unit = wide ? 2 : 1;
    if (length > Remaining() / unit) {
        throw CArchiveError("a string longer than the file");
    }
    std::u16string s(static_cast<std::size_t>(length), u'\0');
    for (char16_t& c : s) {
        c = wide ? static_cast<char16_t>(ReadU16()) : static_cast<char16_t>(ReadU8());
    }
    return s;
}

} // namespace tamblero
