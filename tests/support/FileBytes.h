// Hand-made data-file bytes, for files the program no longer writes (versions 0 and 1)
// and for damaged ones: the one builder of old-version files, for the tests, the fuzzer's
// seeds and the command line's golden data.
#pragma once

#include "tests/support/Files.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tamblero::test {

class CFileBytes final {
public:
    CFileBytes& U8(std::uint8_t v) {
        m_bytes.push_back(v);
        return *this;
    }
    CFileBytes& U16(std::uint16_t v) {
        return U8(static_cast<std::uint8_t>(v)).U8(static_cast<std::uint8_t>(v >> 8U));
    }
    CFileBytes& U32(std::uint32_t v) {
        return U16(static_cast<std::uint16_t>(v)).U16(static_cast<std::uint16_t>(v >> 16U));
    }
    CFileBytes& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    CFileBytes& Zeros(std::size_t n) {
        m_bytes.insert(m_bytes.end(), n, 0);
        return *this;
    }
    // The UTF-16 string record with a one-byte length (names shorter than 255 units).
    CFileBytes& Str(const std::u16string& s) {
        U8(0xFF).U16(0xFFFE).U8(static_cast<std::uint8_t>(s.size()));
        for (const char16_t c : s) {
            U16(static_cast<std::uint16_t>(c));
        }
        return *this;
    }
    // The 8-bit string record: one length byte and one byte per character.
    CFileBytes& NarrowStr(const std::string& s) {
        U8(static_cast<std::uint8_t>(s.size()));
        for (const char c : s) {
            U8(static_cast<std::uint8_t>(c));
        }
        return *this;
    }

    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    [[nodiscard]] std::vector<std::uint8_t>& Bytes() { return m_bytes; }
    CFileBytes& Append(const CFileBytes& more) {
        m_bytes.insert(m_bytes.end(), more.m_bytes.begin(), more.m_bytes.end());
        return *this;
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace tamblero::test
