#include "storage/Archive.h"

namespace tamblero {

void CArchiveWriter::WriteU16(std::uint16_t v) {
    m_bytes.push_back(static_cast<std::uint8_t>(v & 0xFFU));
    m_bytes.push_back(static_cast<std::uint8_t>(v >> 8U));
}

void CArchiveWriter::WriteString(const std::u16string& s) {
    const std::size_t n = s.size();
    WriteU8(0xFF);
    WriteU16(0xFFFE);
    if (n < 0xFF) {
        WriteU8(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteU8(0xFF);
        WriteU16(static_cast<std::uint16_t>(n));
    } else {
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(static_cast<std::uint32_t>(n));
    }
    for (const char16_t c : s) {
        WriteU16(static_cast<std::uint16_t>(c));
    }
}

void CArchiveReader::Need(std::size_t n) const {
    if (n > Remaining()) {
        throw CArchiveError("the file ends before its records do");
    }
}

std::uint8_t CArchiveReader::ReadU8() {
    Need(1);
    return m_bytes[m_pos++];
}

std::uint16_t CArchiveReader::ReadU16() {
    Need(2);
    const auto v = static_cast<std::uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8U));
    m_pos += 2;
    return v;
}

std::uint32_t CArchiveReader::ReadU32() {
    Need(4);
    const std::uint32_t v = LoadU32(m_bytes.data() + m_pos);
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
    if (b < 0xFF) {
        length = b;
    } else {
        std::uint16_t w = ReadU16();
        if (w == 0xFFFE) {
            wide = true;
            b = ReadU8();
            if (b < 0xFF) {
                length = b;
            } else {
                w = ReadU16();
            }
        }
        if (length == 0 && (b == 0xFF)) {
            if (w < 0xFFFF) {
                length = w;
            } else {
                const std::uint32_t d = ReadU32();
                if (d < 0xFFFFFFFFU) {
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
