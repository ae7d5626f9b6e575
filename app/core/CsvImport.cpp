#include "app/core/CsvImport.h"

#include "app/platform/Utf.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"

#include <algorithm>
#include <array>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <span>
#include <unordered_map>

namespace tamblero {

// ---- CCsvReader ----

CCsvReader::CCsvReader(std::string_view text) : m_text(text) {
    if (m_text.starts_with("\xEF\xBB\xBF")) {
        m_pos = 3;
    }
}

CCsvReader::Status CCsvReader::Next() {
    const std::size_t n = m_text.size();
    while (m_pos < n) {
        if (m_text[m_pos] == '\n') {
            ++m_pos;
            ++m_line;
        } else if (m_text[m_pos] == '\r' && m_pos + 1 < n && m_text[m_pos + 1] == '\n') {
            m_pos += 2;
            ++m_line;
        } else {
            break;
        }
    }
    if (m_pos >= n) {
        return Status::End;
    }
    m_recordLine = m_line;
    m_count = 0;
    for (;;) {
        std::string_view field;
        if (m_pos < n && m_text[m_pos] == '"') {
            if (!ReadQuoted(field)) {
                return Status::BadQuotes;
            }
        } else {
            const std::size_t start = m_pos;
            while (m_pos < n && m_text[m_pos] != ',' && m_text[m_pos] != '\n') {
                ++m_pos;
            }
            std::size_t stop = m_pos;
            if (stop > start && m_text[stop - 1] == '\r' && (m_pos == n || m_text[m_pos] == '\n')) {
                --stop;
            }
            field = m_text.substr(start, stop - start);
        }
        if (m_count == m_fields.size()) {
            m_fields.emplace_back();
        }
        m_fields[m_count++] = field;
        if (m_pos >= n) {
            return Status::Record;
        }
        if (m_text[m_pos++] == '\n') {
            ++m_line;
            return Status::Record;
        }
    }
}

bool CCsvReader::ReadQuoted(std::string_view& field) {
    const std::size_t n = m_text.size();
    const std::size_t start = ++m_pos;
    std::string* unescaped = nullptr;
    for (;;) {
        const std::size_t quote = m_text.find('"', m_pos);
        if (quote == std::string_view::npos) {
            return false;
        }
        m_line +=
            static_cast<int>(std::count(m_text.begin() + static_cast<std::ptrdiff_t>(m_pos),
                                        m_text.begin() + static_cast<std::ptrdiff_t>(quote), '\n'));
        if (quote + 1 < n && m_text[quote + 1] == '"') {
            // A doubled quote: the field can no longer be a plain view of the text.
            if (unescaped == nullptr) {
                while (m_unescaped.size() <= m_count) {
                    m_unescaped.emplace_back();
                }
                unescaped = &m_unescaped[m_count];
                unescaped->assign(m_text.substr(start, quote + 1 - start));
            } else {
                unescaped->append(m_text.substr(m_pos, quote + 1 - m_pos));
            }
            m_pos = quote + 2;
            continue;
        }
        if (unescaped != nullptr) {
            unescaped->append(m_text.substr(m_pos, quote - m_pos));
            field = *unescaped;
        } else {
            field = m_text.substr(start, quote - start);
        }
        m_pos = quote + 1;
        break;
    }
    if (m_pos == n || m_text[m_pos] == ',' || m_text[m_pos] == '\n') {
        return true;
    }
    if (m_text[m_pos] == '\r' && (m_pos + 1 == n || m_text[m_pos + 1] == '\n')) {
        ++m_pos;
        return true;
    }
    return false;
}

std::optional<Amount> ParseAmount(std::string_view text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        i = 1;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t{INT32_MAX} + 1) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<Amount>(value);
}

std::string ExpenseIdText(const CLedgerIds& ids, ItemId id) {
    if (id == kNoId) {
        return {};
    }
    if (IsDerived(id)) {
        std::string text(17, 'd');
        for (auto it = text.rbegin(); it + 1 != text.rend(); ++it, id >>= 4U) {
            *it = "0123456789abcdef"[id & 0xFU];
        }
        return text;
    }
    return DeviceIdText(ids.DeviceOf(id)) + '-' + std::to_string(SeqOf(id));
}

// ---- Category paths ----

std::u16string JoinCategoryPath(std::span<const std::u16string> names) {
    std::u16string path;
    for (std::size_t n = 0; n < names.size(); ++n) {
        const std::u16string& name = names[n];
        if (n > 0) {
            path += u" / ";
        }
        if (name.empty() || name == u"\\") {
            path += name.empty() ? u"\\" : u"\\\\";
            continue;
        }
        for (std::size_t i = 0; i < name.size(); ++i) {
            const char16_t c = name[i];
            // The blanks around a name's first and last character are the separators'.
            const bool blankBefore = i > 0 ? name[i - 1] == u' ' : n > 0;
            const bool blankAfter =
                i + 1 < name.size() ? name[i + 1] == u' ' : n + 1 < names.size();
            const bool beforeEscapable =
                i + 1 < name.size() && (name[i + 1] == u'/' || name[i + 1] == u'\\');
            if ((c == u'/' && blankBefore && blankAfter) || (c == u'\\' && beforeEscapable)) {
                path += u'\\';
            }
            path += c;
        }
    }
    return path;
}

std::vector<std::u16string> SplitCategoryPath(std::u16string_view path) {
    std::vector<std::u16string> names(1);
    std::size_t start = 0; // where the name being read begins in the path
    const auto finish = [&](std::size_t end) {
        if (path.substr(start, end - start) == u"\\") {
            names.back().clear();
        }
    };
    for (std::size_t i = 0; i < path.size();) {
        if (path[i] == u'\\' && i + 1 < path.size() &&
            (path[i + 1] == u'/' || path[i + 1] == u'\\')) {
            names.back() += path[i + 1];
            i += 2;
        } else if (path.substr(i, 3) == u" / ") {
            finish(i);
            names.emplace_back();
            i += 3;
            start = i;
        } else {
            names.back() += path[i++];
        }
    }
    finish(path.size());
    return names;
}

// ---- CCsvImport ----

namespace {

using Kind = CsvImportError::Kind;

// Keys of the caches: looked up by a view of the row's field, stored as a copy.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};
using TextIndex = std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>>;

template <class Node>
Node* FindByName(std::span<const std::unique_ptr<Node>> nodes, const std::u16string& name) {
    const auto it = std::find_if(nodes.begin(), nodes.end(), [&](const std::unique_ptr<Node>& n) {
        return n->GetName() == name;
    });
    return it != nodes.end() ? it->get() : nullptr;
}

// Only accounts an entry can name in the data file: an entry charged to one past them
// could never be saved.
CAccount* FindAccount(const CAccountList& accounts, const std::u16string& name) {
    for (int i = 0; i < accounts.GetNameableCount(); ++i) {
        if (accounts.GetAt(i)->m_strName == name) {
            return accounts.GetAt(i);
        }
    }
    return nullptr;
}

// The place of an account of that name past the nameable ones, as an older file may hold;
// -1 when there is none.
int FindUnnameable(const CAccountList& accounts, const std::u16string& name) {
    for (int i = accounts.GetNameableCount(); i < accounts.GetCount(); ++i) {
        if (accounts.GetAt(i)->m_strName == name) {
            return i;
        }
    }
    return -1;
}

// Why one more account does not fit: the list is full, or was overfull already.
Kind AccountsFull(const CAccountList& accounts) {
    return accounts.GetCount() > CAccountList::kMaxAccounts ? Kind::AccountsOverfull
                                                            : Kind::TooManyAccounts;
}

bool InAmountRange(std::int64_t value) {
    return value >= INT32_MIN && value <= INT32_MAX;
}

std::string HexByte(char byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto b = static_cast<unsigned char>(byte);
    return {'0', 'x', kDigits[b >> 4U], kDigits[b & 0xFU]};
}

// Where the header puts its columns: the date, category, amount and account first, then the
// note unless the file is of before notes, then the id unless it is of before lasting ids.
struct Layout {
    std::size_t columns = 0; // none: not a header of the export's
    std::size_t note = 0;    // the column's place, 0 for none (the date's is 0)
    std::size_t id = 0;
};

Layout HeaderLayout(std::span<const std::string_view> fields) {
    Layout layout;
    if (fields.size() < 4 || fields[0] != "date" || fields[1] != "category" ||
        fields[2] != "amount" || fields[3] != "account") {
        return layout;
    }
    std::size_t next = 4;
    if (next < fields.size() && fields[next] == "note") {
        layout.note = next++;
    }
    if (next < fields.size() && fields[next] == "id") {
        layout.id = next++;
    }
    if (next == fields.size()) {
        layout.columns = next;
    }
    return layout;
}

// Exactly 16 hex digits. By a table and without a branch per digit: a file has one per row.
std::optional<std::uint64_t> ParseHex64(std::string_view text) {
    static constexpr auto kDigitOf = [] {
        std::array<std::uint8_t, 256> table{};
        table.fill(0xFF);
        for (unsigned c = 0; c < 10; ++c) {
            table['0' + c] = static_cast<std::uint8_t>(c);
        }
        for (unsigned c = 0; c < 6; ++c) {
            table['a' + c] = table['A' + c] = static_cast<std::uint8_t>(10 + c);
        }
        return table;
    }();
    if (text.size() != 16) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    unsigned bad = 0;
    for (const char c : text) {
        const std::uint8_t digit = kDigitOf[static_cast<unsigned char>(c)];
        bad |= digit;
        value = value << 4U | (digit & 0xFU);
    }
    if ((bad & 0xF0U) != 0) {
        return std::nullopt;
    }
    return value;
}

// One bit per bucket of ids, a power of two at least eight per id counted: which ids may
// repeat, or be the document's, found in passes over them; only those that share a bucket by
// chance are then compared.
class CIdFilter final {
public:
    explicit CIdFilter(std::size_t count) {
        while (m_shift > 6 && (std::uint64_t{1} << (64 - m_shift)) < count * 8) {
            --m_shift;
        }
        m_words.resize((std::size_t{1} << (64 - m_shift)) / 64);
    }
    // Marks the id's bucket; whether it was marked.
    bool Mark(ItemId id) {
        const std::uint64_t b = Bucket(id);
        std::uint64_t& word = m_words[b / 64];
        const std::uint64_t bit = std::uint64_t{1} << (b % 64);
        const bool was = (word & bit) != 0;
        word |= bit;
        return was;
    }
    [[nodiscard]] bool Marked(ItemId id) const {
        const std::uint64_t b = Bucket(id);
        return (m_words[b / 64] >> (b % 64) & 1U) != 0;
    }

private:
    [[nodiscard]] std::uint64_t Bucket(ItemId id) const {
        return (id * 0x9E3779B97F4A7C15ULL) >> m_shift;
    }

    unsigned m_shift = 58; // 64 buckets at the least
    std::vector<std::uint64_t> m_words;
};

// A sequence number a device can give, in decimal.
std::optional<std::uint64_t> ParseSeq(std::string_view text) {
    if (text.empty() || text.size() > 15) { // kMaxSeq has 15 digits
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > kMaxSeq) {
        return std::nullopt;
    }
    return value;
}

// The last field seen and what it resolved to: rows of one article and account come
// in runs, and a run needs no look-up at all.
template <class Value> struct LastSeen {
    bool valid = false;
    std::string text;
    Value value{};
    [[nodiscard]] bool Is(std::string_view field) const { return valid && text == field; }
    void Set(std::string_view field, Value v) {
        valid = true;
        text.assign(field);
        value = v;
    }
};

} // namespace

std::optional<CCsvImport> CCsvImport::Prepare(std::string_view text, const CVerdalonDoc& doc,
                                              CsvImportError& error) {
    const auto refuse = [&error](Kind kind, int line, std::string_view what,
                                 std::int64_t number = 0) {
        error = CsvImportError{kind, line, std::string(what), number};
        return std::nullopt;
    };
    CCsvReader reader(text);
    const CCsvReader::Status first = reader.Next();
    if (first == CCsvReader::Status::BadQuotes) {
        return refuse(Kind::Quotes, reader.Line(), {});
    }
    const Layout layout =
        first == CCsvReader::Status::End ? Layout{} : HeaderLayout(reader.Fields());
    const std::size_t columns = layout.columns;
    if (columns == 0) {
        return refuse(Kind::Header, reader.Line(), {});
    }

    CCsvImport import;
    CsvImportSummary& summary = import.m_summary;
    const CAccountList& accounts = doc.Accounts();
    std::vector<std::int64_t> startBalances;
    std::int64_t total = 0;
    TextIndex categoryByText;
    TextIndex accountByText;
    std::map<std::vector<std::u16string>, std::uint32_t> categoryByPath;
    std::map<std::u16string, std::uint32_t> accountByName;
    LastSeen<DayNumber> lastDate;
    LastSeen<std::uint32_t> lastCategory;
    LastSeen<std::uint32_t> lastAccount;
    DaySpan days{kLastValidDay, 0};
    // A file's ids come from a few devices, in runs.
    std::optional<std::uint64_t> lastDevice;
    std::uint32_t lastDevicePlace = 0;
    // The row's id as the file names it, none where it is missing or no id at all: that is
    // no reason to refuse a file, the expense is then a new one.
    const auto readId = [&](std::string_view field) -> ItemId {
        if (field.size() == 17 && field[0] == 'd') {
            const std::optional<std::uint64_t> value = ParseHex64(field.substr(1));
            return value && IsDerived(*value) ? *value : kNoId;
        }
        if (field.size() < 18 || field[16] != '-') {
            return kNoId;
        }
        const std::optional<std::uint64_t> device = ParseHex64(field.substr(0, 16));
        const std::optional<std::uint64_t> seq = ParseSeq(field.substr(17));
        if (!device || !seq) {
            return kNoId;
        }
        if (lastDevice != device) {
            std::vector<DeviceId>& devices = import.m_idDevices;
            const auto place = static_cast<std::size_t>(std::distance(
                devices.begin(), std::find(devices.begin(), devices.end(), DeviceId{*device})));
            if (place == devices.size()) {
                if (devices.size() >= kMaxSlot) {
                    return kNoId; // more devices than a document can name
                }
                devices.push_back(DeviceId{*device});
            }
            lastDevice = device;
            lastDevicePlace = static_cast<std::uint32_t>(place + 1);
        }
        return MakeItemId(lastDevicePlace, *seq);
    };

    for (;;) {
        const CCsvReader::Status status = reader.Next();
        if (status == CCsvReader::Status::End) {
            break;
        }
        const int line = reader.Line();
        if (status == CCsvReader::Status::BadQuotes) {
            return refuse(Kind::Quotes, line, {});
        }
        const std::span<const std::string_view> fields = reader.Fields();
        if (fields.size() != columns) {
            return refuse(Kind::ColumnCount, line, std::to_string(fields.size()),
                          static_cast<std::int64_t>(columns));
        }

        if (!lastDate.Is(fields[0])) {
            const std::optional<DayNumber> day = ParseIsoDay(fields[0]);
            if (!day) {
                return refuse(Kind::Date, line, fields[0]);
            }
            lastDate.Set(fields[0], *day);
        }
        const std::optional<Amount> amount = ParseAmount(fields[2]);
        if (!amount) {
            return refuse(Kind::BadAmount, line, fields[2]);
        }
        if (fields[1].empty()) {
            return refuse(Kind::EmptyCategory, line, {});
        }

        // The names are checked once per spelling, as they are first read: a name read with
        // replacement characters would be no name of the user's, and a malformed "/" could
        // even split one. The other fields are ASCII or refused already.
        const auto notUtf8 = [&](std::size_t k) -> std::optional<CsvImportError> {
            const std::optional<std::size_t> bad = FindInvalidUtf8(fields[k]);
            if (!bad) {
                return std::nullopt;
            }
            // The line of the bad byte: a quoted field may span lines.
            std::ptrdiff_t breaks = std::count(
                fields[k].begin(), fields[k].begin() + static_cast<std::ptrdiff_t>(*bad), '\n');
            for (std::size_t j = 0; j < k; ++j) {
                breaks += std::count(fields[j].begin(), fields[j].end(), '\n');
            }
            return CsvImportError{Kind::NotUtf8, line + static_cast<int>(breaks),
                                  HexByte(fields[k][*bad])};
        };
        if (!lastCategory.Is(fields[1])) {
            auto found = categoryByText.find(fields[1]);
            if (found == categoryByText.end()) {
                if (auto bad = notUtf8(1)) {
                    error = std::move(*bad);
                    return std::nullopt;
                }
                // Two spellings of one path (an escape where none was needed) share it.
                std::vector<std::u16string> path =
                    SplitCategoryPath(Utf16FromUtf8(std::string(fields[1])));
                // Below the root every name but the last is a group.
                if (path.size() - 1 > static_cast<std::size_t>(kMaxGroupDepth)) {
                    return refuse(Kind::TooDeep, line, std::to_string(path.size() - 1));
                }
                const auto next = static_cast<std::uint32_t>(import.m_categories.size());
                const auto [byPath, added] = categoryByPath.try_emplace(path, next);
                if (added) {
                    import.m_categories.push_back(std::move(path));
                }
                found = categoryByText.emplace(std::string(fields[1]), byPath->second).first;
            }
            lastCategory.Set(fields[1], found->second);
        }

        std::uint32_t account = kNoAccount;
        if (!fields[3].empty()) {
            if (!lastAccount.Is(fields[3])) {
                auto found = accountByText.find(fields[3]);
                if (found == accountByText.end()) {
                    if (auto bad = notUtf8(3)) {
                        error = std::move(*bad);
                        return std::nullopt;
                    }
                    std::u16string name = Utf16FromUtf8(std::string(fields[3]));
                    const auto next = static_cast<std::uint32_t>(import.m_accountNames.size());
                    const auto [byName, added] = accountByName.try_emplace(name, next);
                    if (added) {
                        const CAccount* existing = FindAccount(accounts, name);
                        if (existing == nullptr) {
                            if (const int place = FindUnnameable(accounts, name); place >= 0) {
                                return refuse(Kind::UnnameableAccount, line, fields[3], place + 1);
                            }
                            if (accounts.GetCount() + summary.newAccounts >=
                                CAccountList::kMaxAccounts) {
                                return refuse(AccountsFull(accounts), line, fields[3],
                                              accounts.GetCount());
                            }
                            ++summary.newAccounts;
                        }
                        startBalances.push_back(existing != nullptr ? existing->Balance() : 0);
                        import.m_accountNames.push_back(std::move(name));
                        import.m_accountCharges.push_back(0);
                        import.m_accountLines.push_back(line);
                    }
                    found = accountByText.emplace(std::string(fields[3]), byName->second).first;
                }
                lastAccount.Set(fields[3], found->second);
            }
            account = lastAccount.value;
            std::int64_t& charge = import.m_accountCharges[account];
            charge += *amount;
            if (const std::int64_t balance = startBalances[account] - charge;
                !InAmountRange(balance)) {
                return refuse(Kind::BalanceRange, line, fields[3], balance);
            }
        }
        total += *amount;
        if (!InAmountRange(total)) {
            return refuse(Kind::TotalRange, line, {}, total);
        }

        NoteKey note = kNoNote;
        if (layout.note != 0 && !fields[layout.note].empty()) {
            if (auto bad = notUtf8(layout.note)) {
                error = std::move(*bad);
                return std::nullopt;
            }
            // Cleaned as the dialog cleans what is typed: a line break of a hand-made file
            // becomes a blank, a note past the longest is cut.
            note = import.m_notes.Add(CleanNote(Utf16FromUtf8(std::string(fields[layout.note]))));
        }
        if (layout.id != 0) {
            const ItemId id = readId(fields[layout.id]);
            import.m_ids.push_back(id);
            import.m_hasIds = import.m_hasIds || id != kNoId;
        }

        const DayNumber day = lastDate.value;
        const auto place = static_cast<std::uint32_t>(import.m_rows.size());
        import.m_rows.push_back(Row{day, *amount, lastCategory.value, account, note, place});
        days.first = std::min(days.first, day);
        days.last = std::max(days.last, day);
    }

    summary.entries = import.m_rows.size();
    summary.total = static_cast<Amount>(total);
    if (!import.m_rows.empty()) {
        summary.days = days;
    }
    for (std::size_t i = 0; i < import.m_accountNames.size(); ++i) {
        if (startBalances[i] - import.m_accountCharges[i] < 0) {
            ++summary.negativeAccounts;
        }
    }
    // What the paths would add to the tree; a new group shared by several paths counts once.
    std::set<std::vector<std::u16string>> newGroups;
    for (const auto& path : import.m_categories) {
        const CExpenseGroup* group = doc.GetRoot();
        std::size_t depth = 0;
        while (group != nullptr && depth + 1 < path.size()) {
            const CExpenseGroup* child = FindByName(group->Groups(), path[depth]);
            if (child == nullptr) {
                break;
            }
            group = child;
            ++depth;
        }
        if (group == nullptr || depth + 1 < path.size()) {
            for (std::size_t j = depth; j + 1 < path.size(); ++j) {
                newGroups.emplace(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(j + 1));
            }
            ++summary.newArticles;
        } else if (FindByName(group->Articles(), path.back()) == nullptr) {
            ++summary.newArticles;
        }
    }
    summary.newGroups = static_cast<int>(newGroups.size());
    return import;
}

std::vector<ItemId> CCsvImport::KeepIds(CVerdalonDoc& doc) const {
    if (!m_hasIds) {
        return {};
    }
    CLedgerIds& ids = doc.Ids();
    // A device the table has no room for: its rows get new ids.
    std::vector<std::optional<std::uint32_t>> slots;
    slots.reserve(m_idDevices.size());
    for (const DeviceId device : m_idDevices) {
        slots.push_back(ids.SlotFor(device));
    }
    std::vector<ItemId> kept(m_ids.size(), kNoId);
    for (std::size_t i = 0; i < m_ids.size(); ++i) {
        const ItemId id = m_ids[i];
        if (id == kNoId || IsDerived(id)) {
            kept[i] = id;
        } else if (const std::optional<std::uint32_t> slot = slots[SlotOf(id) - 1]) {
            kept[i] = MakeItemId(*slot, SeqOf(id));
        }
    }

    // The document's ids, live or deleted, and the rows' that repeat: most ids fall in a
    // bucket of no other, and are kept without a comparison.
    const std::size_t named = static_cast<std::size_t>(
        std::count_if(kept.begin(), kept.end(), [](ItemId id) { return id != kNoId; }));
    CIdFilter taken(named);
    const std::vector<ItemId> live = doc.LiveIds(); // sorted
    std::vector<ItemId> buried;
    for (const auto* list : {&ids.m_goneNodes, &ids.m_goneAccounts, &ids.m_goneMovements}) {
        for (const Tombstone& t : *list) {
            buried.push_back(t.id);
        }
    }
    std::sort(buried.begin(), buried.end());
    for (const ItemId id : live) {
        taken.Mark(id);
    }
    for (const ItemId id : buried) {
        taken.Mark(id);
    }
    for (const auto& [id, stamp] : ids.m_goneExpenses) {
        taken.Mark(id);
    }
    CIdFilter seen(named);
    CIdFilter twice(named);
    for (const ItemId id : kept) {
        if (id != kNoId && seen.Mark(id)) {
            twice.Mark(id);
        }
    }
    const auto doubtful = [&](ItemId id) {
        return id != kNoId && (twice.Marked(id) || taken.Marked(id));
    };
    std::vector<ItemId> compared;
    std::copy_if(kept.begin(), kept.end(), std::back_inserter(compared), doubtful);
    std::sort(compared.begin(), compared.end());
    std::vector<ItemId> refused;  // the document's already: no row keeps it
    std::vector<ItemId> repeated; // the first row naming it keeps it
    const auto has = [](const std::vector<ItemId>& sorted, ItemId id) {
        return std::binary_search(sorted.begin(), sorted.end(), id);
    };
    for (auto n = compared.begin(); n != compared.end();) {
        const auto next = std::find_if(n, compared.end(), [n](ItemId id) { return id != *n; });
        if (has(live, *n) || has(buried, *n) || ids.m_goneExpenses.contains(*n)) {
            refused.push_back(*n);
        } else if (next - n > 1) {
            repeated.push_back(*n);
        }
        n = next;
    }
    std::vector<bool> given(repeated.size(), false);
    for (ItemId& id : kept) {
        if (!doubtful(id)) {
            continue;
        }
        if (has(refused, id)) {
            id = kNoId;
        } else if (const auto r = std::lower_bound(repeated.begin(), repeated.end(), id);
                   r != repeated.end() && *r == id) {
            const auto k = static_cast<std::size_t>(r - repeated.begin());
            id = given[k] ? kNoId : id;
            given[k] = true;
        }
    }
    // Before any new id is made: none may be one of these.
    for (const ItemId id : kept) {
        ids.NoteSeen(id);
    }
    return kept;
}

bool CCsvImport::Apply(CVerdalonDoc& doc, CsvImportError& error) const {
    // A document without a tree has nothing to record into; Prepare found none either.
    CExpenseGroup* root = doc.GetRoot();
    if (root == nullptr) {
        return m_rows.empty();
    }
    // Accounts first: the one step that can fail, and it fails before anything changes.
    CAccountList& accounts = doc.Accounts();
    std::vector<CAccount*> resolved(m_accountNames.size());
    int fits = CAccountList::kMaxAccounts - accounts.GetCount(); // new ones that still fit
    for (std::size_t i = 0; i < m_accountNames.size(); ++i) {
        resolved[i] = FindAccount(accounts, m_accountNames[i]);
        const auto name = [&] { return Utf8FromUtf16(m_accountNames[i]); };
        if (resolved[i] == nullptr && fits-- <= 0) {
            error = {AccountsFull(accounts), m_accountLines[i], name(), accounts.GetCount()};
            return false;
        }
        const std::int64_t start = resolved[i] != nullptr ? resolved[i]->Balance() : 0;
        if (!InAmountRange(start - m_accountCharges[i])) {
            error = {Kind::BalanceRange, m_accountLines[i], name(), start - m_accountCharges[i]};
            return false;
        }
    }
    if (m_rows.empty()) {
        return true;
    }
    const std::vector<ItemId> kept = KeepIds(doc);
    // What else the import makes is this device's, as if recorded by hand.
    CLedgerIds& ids = doc.Ids();
    const auto made = [&ids](auto* node) {
        if (node != nullptr) {
            node->m_nId = ids.NewId();
            node->m_nameStamp = node->m_placeStamp = ids.Stamp();
        }
        return node;
    };
    for (std::size_t i = 0; i < m_accountNames.size(); ++i) {
        if (resolved[i] == nullptr) {
            resolved[i] = accounts.CreateAccount(&m_accountNames[i]);
            resolved[i]->m_nId = ids.NewId();
            resolved[i]->m_created = resolved[i]->m_nameStamp = resolved[i]->m_openingStamp =
                ids.Stamp();
        }
        // Straight onto the balance: MayChangeBy would ask about a negative balance for
        // every row, and the summary has already said how many accounts end below zero.
        // The sum wraps, but the balance it leads to is in range.
        resolved[i]->AdjustBalance(
            WrapNeg(static_cast<Amount>(static_cast<std::uint32_t>(m_accountCharges[i]))));
    }

    // The notes join the document's table, which only ever grows: keys run on from its last.
    std::vector<NoteKey> notes(static_cast<std::size_t>(m_notes.Count()) + 1, kNoNote);
    for (NoteKey k = 1; k <= m_notes.Count(); ++k) {
        notes[k] = doc.Notes().Add(m_notes.Text(k));
    }

    std::vector<CExpenseArticle*> articles(m_categories.size());
    for (std::size_t i = 0; i < m_categories.size(); ++i) {
        const auto& path = m_categories[i];
        CExpenseGroup* group = root;
        for (std::size_t depth = 0; depth + 1 < path.size(); ++depth) {
            CExpenseGroup* child = FindByName(group->Groups(), path[depth]);
            group = child != nullptr ? child : made(group->AddGroup(path[depth]));
        }
        CExpenseArticle* article = FindByName(group->Articles(), path.back());
        articles[i] = article != nullptr ? article : made(group->AddArticle(path.back()));
    }

    // The rows of each article together, in file order: a counting sort by category.
    std::vector<std::size_t> starts(m_categories.size() + 1, 0);
    for (const Row& row : m_rows) {
        ++starts[row.category + 1];
    }
    for (std::size_t i = 1; i < starts.size(); ++i) {
        starts[i] += starts[i - 1];
    }
    std::vector<Row> byCategory(m_rows.size());
    {
        std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
        for (const Row& row : m_rows) {
            byCategory[next[row.category]++] = row;
        }
    }
    const auto earlier = [](const Row& a, const Row& b) { return a.day < b.day; };
    for (std::size_t c = 0; c < m_categories.size(); ++c) {
        const auto begin = byCategory.begin() + static_cast<std::ptrdiff_t>(starts[c]);
        const auto end = byCategory.begin() + static_cast<std::ptrdiff_t>(starts[c + 1]);
        // An export lists each article's days in order; any other file is sorted here,
        // keeping the file's order within a day.
        if (!std::is_sorted(begin, end, earlier)) {
            std::stable_sort(begin, end, earlier);
        }
        std::vector<CDayMap::Bucket> fresh;
        for (auto run = begin; run != end;) {
            const auto runEnd =
                std::find_if(run, end, [&](const Row& r) { return r.day != run->day; });
            CEntryList list;
            list.Reserve(static_cast<int>(runEnd - run));
            for (auto it = run; it != runEnd; ++it) {
                list.Add(it->account == kNoAccount ? nullptr : resolved[it->account], it->amount,
                         notes[it->note],
                         kept.empty() || kept[it->place] == kNoId ? ids.NewId() : kept[it->place]);
            }
            fresh.emplace_back(run->day, std::move(list));
            run = runEnd;
        }
        CDayMap& days = articles[c]->Days();
        if (days.empty()) {
            days.Assign(std::move(fresh));
            continue;
        }
        // Merged with the days the article has: a day in both keeps its entries first.
        std::vector<CDayMap::Bucket> merged;
        merged.reserve(days.size() + fresh.size());
        auto old = days.begin();
        const auto oldEnd = days.end();
        std::size_t j = 0;
        while (old != oldEnd || j < fresh.size()) {
            if (j == fresh.size() || (old != oldEnd && old->first < fresh[j].first)) {
                merged.push_back(std::move(*old++));
            } else if (old == oldEnd || fresh[j].first < old->first) {
                merged.push_back(std::move(fresh[j++]));
            } else {
                old->second.Append(fresh[j++].second);
                merged.push_back(std::move(*old++));
            }
        }
        days.Assign(std::move(merged));
    }

    if (m_summary.days) {
        doc.RecordDay(m_summary.days->first);
        doc.RecordDay(m_summary.days->last);
    }
    root->InvalidateTotals(true);
    // A change around the undo stack: the window forgets the changes before it.
    doc.MarkChanged();
    return true;
}

} // namespace tamblero
