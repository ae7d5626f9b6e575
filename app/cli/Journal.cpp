#include "app/cli/Journal.h"

#include "app/core/Utf.h"
#include "period/DayNumber.h"

#include <algorithm>
#include <charconv>
#include <queue>
#include <set>
#include <unordered_map>
#include <utility>

namespace tamblero::cli {

namespace {

// Tells siblings apart whose journal names came out alike.
class CUniqueNames final {
public:
    explicit CUniqueNames(std::initializer_list<const char*> reserved = {}) {
        for (const char* name : reserved) {
            m_used.emplace(name);
        }
    }
    std::string Take(std::string name) {
        if (m_used.insert(name).second) {
            return name;
        }
        for (int n = 2;; ++n) {
            std::string candidate = name + " (" + std::to_string(n) + ")";
            if (m_used.insert(candidate).second) {
                return candidate;
            }
        }
    }

private:
    std::set<std::string> m_used;
};

void Collect(const CExpenseGroup& group, const std::string& prefix,
             std::vector<JournalAccount>& out) {
    CUniqueNames names;
    group.ForEachChild([&](const CCategoryNode& child) {
        std::string name = prefix + ':' + names.Take(JournalSegment(child.GetName()));
        out.push_back({&child, name});
        if (const CExpenseGroup* inner = child.AsGroup()) {
            Collect(*inner, name, out);
        }
    });
}

// A transaction's description: the article's name, kept from reading as a status mark,
// a code or, for hledger, a comment.
std::string Payee(const std::u16string& name) {
    std::string payee = JournalSegment(name);
    if (payee[0] == ';') {
        payee.replace(0, 1, "\xEF\xBC\x9B"); // U+FF1B
    } else if (payee[0] == '*' || payee[0] == '!' || payee[0] == '(') {
        payee.insert(0, "() "); // an empty code, after which nothing is taken for one
    }
    return payee;
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

// Where the money accounts' opening balances come from.
constexpr const char* kOpening = "Equity:Opening Balances";

struct ArticleText {
    const CExpenseArticle* article;
    std::string account; // "Expenses:…"
    std::string head;    // " payee\n    Expenses:…  ", what follows the date
};

} // namespace

std::string JournalSegment(const std::u16string& name) {
    if (name.empty()) {
        return "\xE2\x88\x85"; // U+2205
    }
    std::u16string shown;
    shown.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        if (c < 0x20) {
            c = static_cast<char16_t>(0x2400 + c);
        } else if (c == 0x7F) {
            c = 0x2421;
        } else if (c == u':') {
            c = 0x2236;
        } else if (c == u' ' && (i + 1 == name.size() || (i > 0 && name[i - 1] == u' '))) {
            c = 0x2420;
        }
        shown += c;
    }
    return Utf8FromUtf16(shown);
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

void WriteJournal(std::ostream& out, const CExpenseGroup& root, const CAccountList& accounts) {
    const std::vector<std::string> assets = JournalAssetAccounts(accounts);
    std::unordered_map<const CAccount*, std::size_t> assetOf;
    for (int i = 0; i < accounts.GetCount(); ++i) {
        assetOf.emplace(accounts.GetAt(i), static_cast<std::size_t>(i));
    }
    const std::size_t unknown = assets.size() - 1;

    std::vector<ArticleText> articles;
    for (const JournalAccount& account : JournalExpenseAccounts(root)) {
        const CExpenseArticle* article = account.node->AsArticle();
        if (article == nullptr) {
            continue;
        }
        articles.push_back({article, account.name,
                            ' ' + Payee(article->GetName()) + "\n    " + account.name + "  "});
    }

    // What each account spent in all: it opens at its balance now plus that. 64 bits, as
    // the journal's sums never wrap.
    std::vector<std::int64_t> spent(assets.size(), 0);
    bool unknownUsed = false;
    std::vector<bool> articleUsed(articles.size(), false);
    DayNumber firstDay = kLastValidDay;
    for (std::size_t a = 0; a < articles.size(); ++a) {
        for (const auto& bucket : articles[a].article->Days()) {
            for (const CExpenseEntry& entry : bucket.second.Entries()) {
                articleUsed[a] = true;
                firstDay = std::min(firstDay, bucket.first);
                const auto found =
                    entry.m_pAccount != nullptr ? assetOf.find(entry.m_pAccount) : assetOf.end();
                const std::size_t asset = found != assetOf.end() ? found->second : unknown;
                spent[asset] += entry.m_nAmount;
                unknownUsed = unknownUsed || asset == unknown;
            }
        }
    }
    if (std::find(articleUsed.begin(), articleUsed.end(), true) == articleUsed.end()) {
        firstDay = 0; // nothing spent: the balances held on every day, from the first
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
    for (std::size_t a = 0; a < articles.size(); ++a) {
        if (articleUsed[a]) {
            text += "account " + articles[a].account + '\n';
        }
    }

    // The money accounts open on the first expense's day, ahead of its expenses: what they
    // held before everything the data file records is the earliest balance known, and with
    // every expense after it each account ends at the balance the program shows.
    if (accounts.GetCount() > 0) {
        text += '\n';
        AppendDate(text, firstDay);
        text += " Opening balances\n    ; what each account held before the first expense\n";
        std::int64_t opened = 0;
        for (std::size_t i = 0; i < unknown; ++i) {
            const std::int64_t balance = accounts.GetAt(static_cast<int>(i))->Balance() + spent[i];
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
    while (!queue.empty()) {
        const Cursor cursor = queue.top();
        queue.pop();
        const ArticleText& article = articles[cursor.article];
        CDayIterator& position = positions[cursor.article];
        for (const CExpenseEntry& entry : position->second.Entries()) {
            const auto found =
                entry.m_pAccount != nullptr ? assetOf.find(entry.m_pAccount) : assetOf.end();
            text += '\n';
            AppendDate(text, cursor.day);
            text += article.head;
            AppendNumber(text, entry.m_nAmount);
            text += "\n    ";
            text += assets[found != assetOf.end() ? found->second : unknown];
            text += "  ";
            AppendNumber(text, -std::int64_t{entry.m_nAmount});
            text += '\n';
        }
        if (++position != article.article->Days().end()) {
            queue.push({position->first, cursor.article});
        }
        if (text.size() >= kFlushAt) {
            out << text;
            text.clear();
        }
    }
    out << text;
}

} // namespace tamblero::cli
