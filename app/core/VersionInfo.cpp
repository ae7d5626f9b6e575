#include "app/core/VersionInfo.h"

#include <algorithm>
#include <cstdio>

namespace tamblero {

namespace {

constexpr std::size_t kHeaderSize = 6; // wLength, wValueLength, wType

constexpr std::size_t Align4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void AppendU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    AppendU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    AppendU16(out, static_cast<std::uint16_t>(v >> 16));
}

void PadTo4(std::vector<std::uint8_t>& out, std::size_t base) {
    while ((out.size() - base) % 4 != 0) {
        out.push_back(0);
    }
}

// Offsets are from the start of the record, where the alignment counts.
void WriteBlock(const VersionBlock& block, std::vector<std::uint8_t>& out, std::size_t base) {
    const std::size_t start = out.size();
    AppendU16(out, 0); // wLength, filled in below
    const std::size_t valueLength = block.text ? block.value.size() / 2 : block.value.size();
    AppendU16(out, static_cast<std::uint16_t>(valueLength));
    AppendU16(out, block.text ? 1 : 0);
    for (const char16_t c : block.key) {
        AppendU16(out, static_cast<std::uint16_t>(c));
    }
    AppendU16(out, 0);
    PadTo4(out, base);
    out.insert(out.end(), block.value.begin(), block.value.end());
    for (const VersionBlock& child : block.children) {
        PadTo4(out, base);
        WriteBlock(child, out, base);
    }
    PutU16(out, start, static_cast<std::uint16_t>(out.size() - start));
}

struct ParsedBlock {
    std::u16string key;
    std::uint16_t valueLength = 0;
    bool text = false;
    std::span<const std::uint8_t> value;
    std::size_t childStart = 0;
    std::size_t end = 0; // one past the block, within the parent
};

std::optional<ParsedBlock> ParseBlock(std::span<const std::uint8_t> record, std::size_t at,
                                      std::size_t limit) {
    if (at + kHeaderSize > limit) {
        return std::nullopt;
    }
    const std::size_t length = U16(record, at);
    if (length < kHeaderSize) {
        return std::nullopt;
    }
    ParsedBlock block;
    block.end = std::min(at + length, limit);
    block.valueLength = U16(record, at + 2);
    block.text = U16(record, at + 4) == 1;
    std::size_t pos = at + kHeaderSize;
    for (;;) {
        if (pos + 2 > block.end) {
            return std::nullopt; // a key without its terminating null
        }
        const char16_t c = U16(record, pos);
        pos += 2;
        if (c == 0) {
            break;
        }
        block.key.push_back(c);
    }
    const std::size_t valueStart = std::min(Align4(pos), block.end);
    const std::size_t valueBytes =
        block.text ? std::size_t{block.valueLength} * 2 : std::size_t{block.valueLength};
    const std::size_t valueEnd = std::min(valueStart + valueBytes, block.end);
    block.value = record.subspan(valueStart, valueEnd - valueStart);
    block.childStart = std::min(Align4(valueStart + valueBytes), block.end);
    return block;
}

bool SameKey(std::u16string_view a, std::u16string_view b) {
    const auto lower = [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

std::optional<ParsedBlock> FindChild(std::span<const std::uint8_t> record,
                                     const ParsedBlock& parent, std::u16string_view key) {
    std::size_t pos = parent.childStart;
    while (pos + kHeaderSize <= parent.end) {
        auto child = ParseBlock(record, pos, parent.end);
        if (!child) {
            return std::nullopt;
        }
        if (SameKey(child->key, key)) {
            return child;
        }
        pos = Align4(child->end);
    }
    return std::nullopt;
}

std::u16string TextOf(const VersionValue& value) {
    std::u16string s;
    for (std::size_t i = 0; i + 1 < value.bytes.size(); i += 2) {
        const char16_t c = U16(value.bytes, i);
        if (c == 0) {
            break;
        }
        s.push_back(c);
    }
    return s;
}

} // namespace

std::vector<std::uint8_t> WriteVersionBlock(const VersionBlock& block) {
    std::vector<std::uint8_t> out;
    WriteBlock(block, out, 0);
    return out;
}

VersionBlock TextBlock(std::u16string key, std::u16string_view text) {
    VersionBlock block{std::move(key), true, {}, {}};
    for (const char16_t c : text) {
        AppendU16(block.value, static_cast<std::uint16_t>(c));
    }
    AppendU16(block.value, 0);
    return block;
}

VersionBlock TranslationBlock(std::span<const VersionTranslation> entries) {
    VersionBlock var{u"Translation", false, {}, {}};
    for (const VersionTranslation& t : entries) {
        AppendU16(var.value, t.language);
        AppendU16(var.value, t.codePage);
    }
    return VersionBlock{u"VarFileInfo", false, {}, {std::move(var)}};
}

std::vector<std::uint8_t> FixedFileInfo(const std::array<std::uint16_t, 4>& version) {
    const std::uint32_t ms = (std::uint32_t{version[0]} << 16) | version[1];
    const std::uint32_t ls = (std::uint32_t{version[2]} << 16) | version[3];
    std::vector<std::uint8_t> out;
    AppendU32(out, 0xFEEF04BD); // signature
    AppendU32(out, 0x00010000); // structure version 1.0
    AppendU32(out, ms);         // file version
    AppendU32(out, ls);
    AppendU32(out, ms); // product version
    AppendU32(out, ls);
    AppendU32(out, 0x3F); // flags mask
    AppendU32(out, 0);    // flags
    AppendU32(out, 0);    // operating system: unknown
    AppendU32(out, 1);    // file type: application
    AppendU32(out, 0);    // subtype
    AppendU32(out, 0);    // date, high and low
    AppendU32(out, 0);
    return out;
}

std::optional<VersionValue> QueryVersionValue(std::span<const std::uint8_t> record,
                                              std::u16string_view path) {
    auto block = ParseBlock(record, 0, record.size());
    while (block && !path.empty()) {
        if (path.front() == u'\\') {
            path.remove_prefix(1);
            continue;
        }
        const std::size_t cut = std::min(path.find(u'\\'), path.size());
        block = FindChild(record, *block, path.substr(0, cut));
        path.remove_prefix(cut);
    }
    if (!block) {
        return std::nullopt;
    }
    return VersionValue{block->value, block->valueLength, block->text};
}

std::uint16_t LanguageIdFromLocaleName(std::string_view name) {
    struct Primary {
        std::string_view code;
        std::uint16_t id;
    };
    static constexpr Primary kLanguages[] = {{"be", 0x23}, {"de", 0x07}, {"en", 0x09}, {"es", 0x0A},
                                             {"fr", 0x0C}, {"it", 0x10}, {"kk", 0x3F}, {"pl", 0x15},
                                             {"ru", 0x19}, {"uk", 0x22}};
    const std::string_view code = name.substr(0, std::min(name.find_first_of("_-.@"), name.size()));
    for (const Primary& p : kLanguages) {
        if (p.code == code) {
            return static_cast<std::uint16_t>((1U << 10) | p.id); // the default sub-language
        }
    }
    return 0;
}

int ChooseTranslation(std::span<const VersionTranslation> table, std::uint16_t language) {
    if (table.empty()) {
        return -1;
    }
    const auto find = [&](auto matches) -> int {
        const auto it = std::find_if(table.begin(), table.end(), matches);
        return it == table.end() ? -1 : static_cast<int>(it - table.begin());
    };
    const auto exact = [&](std::uint16_t want) {
        return find([want](const VersionTranslation& t) { return t.language == want; });
    };
    const auto low = [&](std::uint16_t want) {
        return find(
            [want](const VersionTranslation& t) { return (t.language & 0xFF) == (want & 0xFF); });
    };
    for (const int i : {exact(language), low(language), exact(0), low(0), exact(9), low(9)}) {
        if (i >= 0) {
            return i;
        }
    }
    return 0;
}

std::u16string VersionForDisplay(std::u16string fileVersion) {
    std::replace(fileVersion.begin(), fileVersion.end(), u',', u'.');
    return fileVersion;
}

CVersionInfo::CVersionInfo() {
    Reset();
}

void CVersionInfo::Reset() {
    m_fixedInfo.fill(0);
    for (std::u16string* s :
         {&m_strCompanyName, &m_strFileDescription, &m_strFileVersion, &m_strInternalName,
          &m_strLegalCopyright, &m_strOriginalFileName, &m_strProductName, &m_strProductVersion,
          &m_strComments, &m_strLegalTrademarks, &m_strPrivateBuild, &m_strSpecialBuild}) {
        s->clear();
    }
}

bool CVersionInfo::Read(std::span<const std::uint8_t> record, std::uint16_t language) {
    Reset();
    const auto root = QueryVersionValue(record, u"\\");
    if (!root) {
        return false;
    }
    if (root->length == kFixedSize && root->bytes.size() == kFixedSize) {
        std::copy(root->bytes.begin(), root->bytes.end(), m_fixedInfo.begin());
    }
    const auto table = QueryVersionValue(record, u"\\VarFileInfo\\Translation");
    if (!table) {
        return true;
    }
    std::vector<VersionTranslation> entries;
    for (std::size_t i = 0; i + 4 <= table->bytes.size(); i += 4) {
        entries.push_back({U16(table->bytes, i), U16(table->bytes, i + 2)});
    }
    const int chosen = ChooseTranslation(entries, language);
    if (chosen < 0) {
        return true;
    }
    const VersionTranslation& t = entries[static_cast<std::size_t>(chosen)];
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04X%04X\\", unsigned{t.language},
                  unsigned{t.codePage});
    const std::u16string base(prefix, prefix + std::char_traits<char>::length(prefix));
    const std::pair<const char16_t*, std::u16string*> members[] = {
        {u"CompanyName", &m_strCompanyName},
        {u"FileDescription", &m_strFileDescription},
        {u"FileVersion", &m_strFileVersion},
        {u"InternalName", &m_strInternalName},
        {u"LegalCopyright", &m_strLegalCopyright},
        {u"OriginalFileName", &m_strOriginalFileName},
        {u"ProductName", &m_strProductName},
        {u"ProductVersion", &m_strProductVersion},
        {u"Comments", &m_strComments},
        {u"LegalTrademarks", &m_strLegalTrademarks},
        {u"PrivateBuild", &m_strPrivateBuild},
        {u"SpecialBuild", &m_strSpecialBuild}};
    for (const auto& [name, member] : members) {
        if (const auto value = QueryVersionValue(record, base + name)) {
            *member = TextOf(*value);
        }
    }
    return true;
}

} // namespace tamblero
