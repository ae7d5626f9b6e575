#include "tests/safety/LargeDocument.h"

#include <memory>
#include <string>

namespace tamblero::safety {

namespace {

constexpr DayNumber kFirstDay = 148000;
constexpr int kGroups = 20;
constexpr int kArticlesPerGroup = 10;
constexpr int kEntriesPerDay = 5;
constexpr int kOddTailEntries = 500;
const std::u16string kTailName = u"Хвост нечетных поколений";

std::u16string Number(int n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}

} // namespace

void BuildLargeDocument(CVerdalonDoc& doc, int entries) {
    CAccount* cash = doc.Accounts().CreateAccount();
    CExpenseGroup& root = *doc.GetRoot();
    std::vector<CExpenseArticle*> articles;
    for (int g = 0; g < kGroups; ++g) {
        auto group = std::make_unique<CExpenseGroup>(u"Группа " + Number(g), &root);
        for (int a = 0; a < kArticlesPerGroup; ++a) {
            auto article = std::make_unique<CExpenseArticle>(u"Статья " + Number(a), group.get());
            articles.push_back(article.get());
            group->AppendLoaded(std::move(article));
        }
        root.AppendLoaded(std::move(group));
    }
    for (int i = 0; i < entries; ++i) {
        CExpenseArticle* article = articles[static_cast<std::size_t>(i) % articles.size()];
        const auto day =
            kFirstDay + static_cast<DayNumber>(i / (kEntriesPerDay * kGroups * kArticlesPerGroup));
        article->Days().GetOrCreate(day).Add(i % 3 == 0 ? nullptr : cash, i % 1000 + 1);
    }
    root.AppendLoaded(std::make_unique<CExpenseArticle>(u"", &root));
    // The ids a load gives them, so that a saver that loads this document's file writes the
    // same identities as it.
    doc.CompleteIds();
}

void StampGeneration(CVerdalonDoc& doc, int g) {
    CAccount& account = *doc.Accounts().GetAt(0);
    account.AdjustBalance(WrapAdd(g, WrapNeg(account.Balance())));
    CExpenseGroup& root = *doc.GetRoot();
    if (root.Articles().back()->GetName() == kTailName) {
        root.DetachChild(root.Articles().back().get()).reset();
    }
    root.Articles().back()->SetName(u"Поколение " + Number(g));
    if (g % 2 != 0) {
        auto tail = std::make_unique<CExpenseArticle>(kTailName, doc.GetRoot());
        for (int i = 0; i < kOddTailEntries; ++i) {
            tail->Days().GetOrCreate(kFirstDay + static_cast<DayNumber>(i)).Add(nullptr, g);
        }
        root.AppendLoaded(std::move(tail));
    }
    doc.MarkChanged();
}

int GenerationOf(const CAccountList& accounts) {
    return accounts.GetCount() > 0 ? accounts.GetAt(0)->Balance() : -1;
}

} // namespace tamblero::safety
