// The version record of a program in the published version-resource layout
// (VS_VERSIONINFO: the fixed block, StringFileInfo string tables and the
// VarFileInfo translation table), read and written over plain bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamblero {

// One block of a record: a key, a value (binary, or UTF-16 text) and child blocks.
struct VersionBlock {
    std::u16string key;
    bool text = false;
    std::vector<std::uint8_t> value; // text values hold UTF-16LE with the final null
    std::vector<VersionBlock> children;
};

struct VersionTranslation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
};

// The block as bytes: each header, key and value padded to four bytes.
[[nodiscard]] std::vector<std::uint8_t> WriteVersionBlock(const VersionBlock& block);
// A text block holding the given value.
[[nodiscard]] VersionBlock TextBlock(std::u16string key, std::u16string_view text);
// "VarFileInfo" holding "Translation" with the given entries.
[[nodiscard]] VersionBlock TranslationBlock(std::span<const VersionTranslation> entries);
// The 52-byte fixed block of an application with this four-part version.
[[nodiscard]] std::vector<std::uint8_t> FixedFileInfo(const std::array<std::uint16_t, 4>& version);

// A value found in a record: its bytes and the length the record states for it
// (bytes for binary values, characters for text).
struct VersionValue {
    std::span<const std::uint8_t> bytes;
    std::uint16_t length = 0;
    bool text = false;
};

// The value of a block named by a path such as "\StringFileInfo\000004B0\FileVersion";
// "\" names the root's value. Keys compare without regard to case.
[[nodiscard]] std::optional<VersionValue> QueryVersionValue(std::span<const std::uint8_t> record,
                                                            std::u16string_view path);

// A language identifier for a locale name such as "ru_RU"; 0 (neutral) when unknown.
[[nodiscard]] std::uint16_t LanguageIdFromLocaleName(std::string_view name);

class CVersionInfo {
public:
    static constexpr std::size_t kFixedSize = 52;

    CVersionInfo();
    virtual ~CVersionInfo() = default;
    CVersionInfo(const CVersionInfo&) = default;
    CVersionInfo& operator=(const CVersionInfo&) = default;

    // Zeroes the fixed block and empties every string.
    virtual void Reset();

    // Reads a record held in memory, choosing the string table by the translation
    // table and the preferred language. Answers false for an empty or unreadable record.
    bool Read(std::span<const std::uint8_t> record, std::uint16_t language);

    [[nodiscard]] std::u16string GetFileVersion() const { return m_strFileVersion; }

    std::array<std::uint8_t, kFixedSize> m_fixedInfo{};
    std::u16string m_strCompanyName;
    std::u16string m_strFileDescription;
    std::u16string m_strFileVersion;
    std::u16string m_strInternalName;
    std::u16string m_strLegalCopyright;
    std::u16string m_strOriginalFileName;
    std::u16string m_strProductName;
    std::u16string m_strProductVersion;
    std::u16string m_strComments;
    std::u16string m_strLegalTrademarks;
    std::u16string m_strPrivateBuild;
    std::u16string m_strSpecialBuild;
};

// A FileVersion as people read it: "1,0,2,24" becomes "1.0.2.24"; only commas change.
[[nodiscard]] std::u16string VersionForDisplay(std::u16string fileVersion);

// Which entry of a translation table to read the strings from: the preferred language,
// then its low eight bits, then language 0, then language 9 (each exact before low
// eight bits), else the first entry. Answers -1 for an empty table.
[[nodiscard]] int ChooseTranslation(std::span<const VersionTranslation> table,
                                    std::uint16_t language);

} // namespace tamblero
