#include "app/cli/Journal.h"

#include "app/platform/Utf.h"
#include "period/DayNumber.h"

#include <algorithm>
#include <charconv>
#include <queue>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace tamblero::cli {

namespace {

// ledger refuses a line of 4096 bytes or more; a posting adds its indent and an amount to
// the account's name, and the posting of the deepest node needs the longest line.
constexpr std::size_t kMaxPathBytes = 4064;
constexpr std::size_t kMaxPayeeBytes = 4000;

// The text cut on a character's boundary so as to fit in limit bytes, the cut marked "…".
std::string Shortened(std::string text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit > 3 ? limit - 3 : 0;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
    return text + "\xE2\x80\xA6"; // U+2026
}

// Tells siblings apart whose journal names came out alike, once cut to their limit too.
class CUniqueNames final {
public:
    explicit CUniqueNames(std::initializer_list<const char*> reserved = {}) {
        for (const char* name : reserved) {
            m_used.emplace(name);
        }
    }
    std::string Take(const std::string& name, std::size_t limit = kJournalSegmentBytes) {
        std::string fitted = Shortened(name, limit);
        if (m_used.insert(fitted).second) {
            return fitted;
        }
        for (int n = 2;; ++n) {
            const std::string suffix = " (" + std::to_string(n) + ")";
            std::string candidate =
                Shortened(name, limit > suffix.size() ? limit - suffix.size() : 0) + suffix;
            if (m_used.insert(candidate).second) {
                return candidate;
            }
        }
    }

private:
    std::set<std::string> m_used;
};

// How many levels lie below the group.
int Height(const CExpenseGroup& group) {
    int height = group.Articles().empty() ? 0 : 1;
    for (const auto& inner : group.Groups()) {
        height = std::max(height, Height(*inner) + 1);
    }
    return height;
}

void Collect(const CExpenseGroup& group, const std::string& prefix,
             std::vector<JournalAccount>& out) {
    const std::size_t left = kMaxPathBytes > prefix.size() ? kMaxPathBytes - prefix.size() : 0;
    CUniqueNames names;
    group.ForEachChild([&](const CCategoryNode& child) {
        // A node and the levels below it get equal shares of what is left of a line, so the
        // deepest path fits; as a level rarely takes all of its share, those below only grow.
        const CExpenseGroup* inner = child.AsGroup();
        const std::size_t share =
            left / static_cast<std::size_t>(inner != nullptr ? Height(*inner) + 1 : 1);
        const std::size_t limit = std::min(kJournalSegmentBytes, share > 1 ? share - 1 : 0);
        std::string name = prefix + ':' + names.Take(JournalSegment(child.GetName()), limit);
        out.push_back({&child, name});
        if (inner != nullptr) {
            Collect(*inner, name, out);
        }
    });
}

// A character that would break the journal's line shown as its picture, as in names.
char16_t Pictured(char16_t c) {
    if (c < 0x20) {
        return static_cast<char16_t>(0x2400 + c);
    }
    if (c == 0x7F) {
        return 0x2421;
    }
    if (c >= 0x80 && c < 0xA0) {
        return 0xFFFD; // the C1 controls have no pictures
    }
    if (c == 0x2028 || c == 0x2029) {
        return 0x2424; // line and paragraph separators
    }
    return c;
}

// A description kept from reading as a status mark, a code or, for hledger, a comment.
std::string Unmarked(std::string payee) {
    if (payee[0] == ';') {
        payee.replace(0, 1, "\xEF\xBC\x9B"); // U+FF1B
    } else if (payee[0] == '*' || payee[0] == '!' || payee[0] == '(') {
        payee.insert(0, "() "); // an empty code, after which nothing is taken for one
    }
    return payee;
}

// A transaction's description: the article's name.
std::string Payee(const std::u16string& name) {
    return Unmarked(JournalSegment(name, kMaxPayeeBytes));
}

// The description of an expense with a note: the note as written, but that every ";" is
// "；", since hledger would take the rest for a comment, and its tags for the entry's.
std::string NotePayee(std::u16string_view note) {
    std::u16string shown(note);
    for (char16_t& c : shown) {
        c = c == u';' ? char16_t{0xFF1B} : Pictured(c);
    }
    return Unmarked(Shortened(Utf8FromUtf16(shown), kMaxPayeeBytes));
}

// A note's tag as a comment line: "; name:" is a tag with no value to ledger and to hledger
// alike, which query it as %name and tag:name.
void AppendTag(std::string& text, const std::u16string& tag) {
    text += "    ; ";
    text += Utf8FromUtf16(tag);
    text += ":\n";
}

// hledger reads these on a posting as its dates and refuses an empty one; on the
// transaction they are plain tags.
bool IsPostingDateTag(const std::u16string& tag) {
    return tag == u"date" || tag == u"date2";
}

void AppendDate(std::string& text, DayNumber day) {
    const CalendarDate d = DateFromDayNumber(day);
    char digits[10] = {static_cast<char>('0' + d.year / 1000),
                       static_cast<char>('0' + d.year / 100 % 10),
                       static_cast<char>('0' + d.year / 10 % 10),
                       static_cast<char>('0' + d.year % 10),
                       '-',
                       static_cast<char>('0' + d.month / 10),
                       static_cast<char>('0' + d.month % 10),
                       '-',
                       static_cast<char>('0' + d.day / 10),
                       static_cast<char>('0' + d.day % 10)};
    text.append(digits, sizeof digits);
}

void AppendNumber(std::string& text, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, result.ptr);
}

// One transaction: the date, the description (with its leading blank), then the posting
// that gains the amount, "\n    <account>  " before it, and the one that gives it. The tags
// are the gaining posting's, so that a query by one lists what went there alone and a balance
// by one sums it; only the dates' names cannot be, and go on the transaction.
void AppendTransaction(std::string& text, DayNumber day, std::string_view description,
                       const std::vector<std::u16string>& tags, std::string_view gaining,
                       std::int64_t amount, std::string_view giving) {
    text += '\n';
    AppendDate(text, day);
    text += description;
    for (const std::u16string& tag : tags) {
        if (IsPostingDateTag(tag)) {
            text += '\n';
            AppendTag(text, tag);
            text.pop_back(); // the posting begins with its line break
        }
    }
    text += gaining;
    AppendNumber(text, amount);
    text += '\n';
    for (const std::u16string& tag : tags) {
        if (!IsPostingDateTag(tag)) {
            AppendTag(text, tag);
        }
    }
    text += "    ";
    text += giving;
    text += "  ";
    AppendNumber(text, -amount);
    text += '\n';
}

// Where the money accounts' opening balances come from, where deposits come from, and what
// stands for the deleted side of a transfer, by its last name.
constexpr const char* kOpening = "Equity:Opening Balances";
constexpr const char* kDeposits = "Equity:Deposits";
constexpr const char* kClosed = "Equity:Closed accounts:";

struct ArticleText {
    const CExpenseArticle* article;
    std::string account; // "Expenses:…"
    std::string payee;   // " payee", what follows the date where the entry has no note
    std::string posting; // "\n    Expenses:…  ", what comes before the amount
};

} // namespace

std::string JournalSegment(const std::u16string& name, std::size_t maxBytes) {
    if (name.empty()) {
        return "\xE2\x88\x85"; // U+2205
    }
    // hledger takes every Unicode space separator for a blank, two in a row for the end of
    // the name, and drops them at its ends.
    const auto blank = [](char16_t c) {
        return c == u' ' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
               c == 0x202F || c == 0x205F || c == 0x3000;
    };
    std::u16string shown;
    shown.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t c = Pictured(name[i]);
        if (c == u':') {
            c = 0x2236;
        } else if (blank(c)) {
            c = i == 0 || i + 1 == name.size() || blank(name[i - 1]) ? char16_t{0x2420} : u' ';
        }
        shown += c;
    }
    return Shortened(Utf8FromUtf16(shown), maxBytes);
}

std::vector<JournalAccount> JournalExpenseAccounts(const CExpenseGroup& root) {
    std::vector<JournalAccount> out{{&root, "Expenses"}};
    Collect(root, "Expenses", out);
    return out;
}

std::vector<std::string> JournalAssetAccounts(const CAccountList& accounts) {
    // "Unknown" stands for no account, so an account of that name gets another.
    CUniqueNames names{"Unknown"};
    std::vector<std::string> assets;
    assets.reserve(static_cast<std::size_t>(accounts.GetCount()) + 1);
    for (int i = 0; i < accounts.GetCount(); ++i) {
        assets.push_back("Assets:" + names.Take(JournalSegment(accounts.GetAt(i)->m_strName)));
    }
    assets.emplace_back("Assets:Unknown");
    return assets;
}

void WriteJournal(std::ostream& out, const CExpenseGroup& root, const CAccountList& accounts,
                  const CNoteTable& notes, std::span<const CMovement> movements) {
    const std::vector<std::string> assets = JournalAssetAccounts(accounts);
    std::unordered_map<const CAccount*, std::size_t> assetOf;
    for (int i = 0; i < accounts.GetCount(); ++i) {
        assetOf.emplace(accounts.GetAt(i), static_cast<std::size_t>(i));
    }
    const std::size_t unknown = assets.size() - 1;
    bool unknownUsed = false;
    const auto assetIndex = [&](const CAccount* account) {
        const auto found = account != nullptr ? assetOf.find(account) : assetOf.end();
        const std::size_t asset = found != assetOf.end() ? found->second : unknown;
        unknownUsed = unknownUsed || asset == unknown;
        return asset;
    };

    std::vector<ArticleText> articles;
    for (const JournalAccount& account : JournalExpenseAccounts(root)) {
        const CExpenseArticle* article = account.node->AsArticle();
        if (article == nullptr) {
            continue;
        }
        articles.push_back({article, account.name, ' ' + Payee(article->GetName()),
                            "\n    " + account.name + "  "});
    }

    // What each account gave out in all, spent or moved away: it opens at its balance now
    // plus that. 64 bits, as the journal's sums never wrap.
    std::vector<std::int64_t> given(assets.size(), 0);
    std::vector<bool> articleUsed(articles.size(), false);
    DayNumber firstDay = kLastValidDay;
    bool recorded = false;
    for (std::size_t a = 0; a < articles.size(); ++a) {
        for (const auto& bucket : articles[a].article->Days()) {
            for (const CExpenseEntry& entry : bucket.second.Entries()) {
                articleUsed[a] = true;
                recorded = true;
                firstDay = std::min(firstDay, bucket.first);
                given[assetIndex(entry.m_pAccount)] += entry.m_nAmount;
            }
        }
    }
    // The movements in day order, as recorded within a day, each with its two postings'
    // accounts: the gaining one as "\n    <account>  ", the giving one as its name.
    struct MovementText {
        const CMovement* movement;
        std::string gaining;
        std::string giving;
    };
    std::vector<MovementText> moved;
    moved.reserve(movements.size());
    std::unordered_map<std::u16string, std::string> closed; // by the last name
    std::vector<std::string> closedOrder;                   // as first met, for declaring
    bool deposited = false;
    const auto closedAccount = [&](const std::u16string& name) {
        auto [found, made] = closed.try_emplace(name);
        if (made) {
            found->second = kClosed + JournalSegment(name);
            closedOrder.push_back(found->second);
        }
        return found->second;
    };
    for (const CMovement& m : movements) {
        recorded = true;
        firstDay = std::min(firstDay, m.m_day);
        MovementText& item = moved.emplace_back();
        item.movement = &m;
        if (m.m_pTo != nullptr) {
            const std::size_t to = assetIndex(m.m_pTo);
            given[to] -= m.m_nAmount;
            item.gaining = assets[to];
        } else {
            item.gaining = closedAccount(m.m_strGoneName);
        }
        item.gaining = "\n    " + item.gaining + "  ";
        if (!m.m_bTransfer) {
            deposited = true;
            item.giving = kDeposits;
        } else if (m.m_pFrom != nullptr) {
            const std::size_t from = assetIndex(m.m_pFrom);
            given[from] += m.m_nAmount;
            item.giving = assets[from];
        } else {
            item.giving = closedAccount(m.m_strGoneName);
        }
    }
    std::stable_sort(moved.begin(), moved.end(), [](const MovementText& a, const MovementText& b) {
        return a.movement->m_day < b.movement->m_day;
    });
    if (!recorded) {
        firstDay = 0; // nothing recorded: the balances held on every day, from the first
    }

    std::string text;
    for (std::size_t i = 0; i < unknown; ++i) {
        text += "account " + assets[i] + '\n';
    }
    if (unknownUsed) {
        text += "account " + assets[unknown] + '\n';
    }
    if (accounts.GetCount() > 0) {
        text += "account " + std::string(kOpening) + '\n';
    }
    if (deposited) {
        text += "account " + std::string(kDeposits) + '\n';
    }
    for (const std::string& name : closedOrder) {
        text += "account " + name + '\n';
    }
    for (std::size_t a = 0; a < articles.size(); ++a) {
        if (articleUsed[a]) {
            text += "account " + articles[a].account + '\n';
        }
    }

    // The money accounts open on the first day of anything recorded, ahead of it: what they
    // held before everything the data file records is the earliest balance known, and with
    // every expense and movement after it each account ends at the balance the program shows.
    if (accounts.GetCount() > 0) {
        text += '\n';
        AppendDate(text, firstDay);
        text += " Opening balances\n    ; what each account held before the first expense, "
                "deposit or transfer\n";
        std::int64_t opened = 0;
        for (std::size_t i = 0; i < unknown; ++i) {
            const std::int64_t balance = accounts.GetAt(static_cast<int>(i))->Balance() + given[i];
            opened += balance;
            text += "    " + assets[i] + "  ";
            AppendNumber(text, balance);
            text += '\n';
        }
        text += "    " + std::string(kOpening) + "  ";
        AppendNumber(text, -opened);
        text += '\n';
    }
    out << text;
    text.clear();

    // Each article's days are in order already: merge them, earlier day first, the tree's
    // order within a day.
    using CDayIterator = decltype(std::declval<const CDayMap&>().begin());
    struct Cursor {
        DayNumber day;
        std::size_t article;
    };
    const auto later = [](const Cursor& a, const Cursor& b) {
        return a.day != b.day ? a.day > b.day : a.article > b.article;
    };
    std::priority_queue<Cursor, std::vector<Cursor>, decltype(later)> queue(later);
    std::vector<CDayIterator> positions;
    positions.reserve(articles.size());
    for (std::size_t a = 0; a < articles.size(); ++a) {
        const CDayMap& days = articles[a].article->Days();
        positions.push_back(days.begin());
        if (days.begin() != days.end()) {
            queue.push({days.begin()->first, a});
        }
    }
    constexpr std::size_t kFlushAt = 1 << 16;
    // A day's movements go before its expenses, as in the account's register.
    std::size_t nextMovement = 0;
    const auto moveUntil = [&](DayNumber day) {
        for (; nextMovement < moved.size() && moved[nextMovement].movement->m_day <= day;
             ++nextMovement) {
            const MovementText& movement = moved[nextMovement];
            const CMovement& m = *movement.movement;
            std::vector<std::u16string> tags;
            std::string description = m.m_bTransfer ? " Transfer" : " Deposit";
            if (!m.m_strNote.empty()) {
                description = ' ' + NotePayee(m.m_strNote);
                tags = NoteTags(m.m_strNote);
            }
            AppendTransaction(text, m.m_day, description, tags, movement.gaining, m.m_nAmount,
                              movement.giving);
        }
    };
    std::vector<std::u16string> tags;
    while (!queue.empty()) {
        const Cursor cursor = queue.top();
        queue.pop();
        moveUntil(cursor.day);
        const ArticleText& article = articles[cursor.article];
        CDayIterator& position = positions[cursor.article];
        for (const CExpenseEntry& entry : position->second.Entries()) {
            const std::u16string_view note = notes.Text(entry.m_nNote);
            tags.clear();
            std::string_view description = article.payee;
            std::string noted;
            if (!note.empty()) {
                noted = ' ' + NotePayee(note);
                description = noted;
                tags = NoteTags(note);
            }
            AppendTransaction(text, cursor.day, description, tags, article.posting, entry.m_nAmount,
                              assets[assetIndex(entry.m_pAccount)]);
        }
        if (++position != article.article->Days().end()) {
            queue.push({position->first, cursor.article});
        }
        if (text.size() >= kFlushAt) {
            out << text;
            text.clear();
        }
    }
    moveUntil(kLastValidDay);
    out << text;
}

} // namespace tamblero::cli
