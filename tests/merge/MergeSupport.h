// Copies of one ledger on devices of their own, changed through the real commands, and a dump
// of a document by global ids that two documents compare in.
#pragma once

#include "app/core/DocumentChanges.h"
#include "merge/Facts.h"
#include "merge/Merge.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace tamblero::test {

// A document on a device of its own; empty but for the root.
struct Copy {
    explicit Copy(std::uint64_t device, std::int64_t now = 1'796'000'000'000) {
        platform.m_device = device;
        platform.m_nowMillis = now;
        doc.OnNewDocument("/nonexistent/QZData.dat");
        platform.m_messages.clear();
    }
    CScriptedPlatform platform;
    CVerdalonDoc doc{platform};
};

// Merges theirs into ours, which must succeed.
inline MergeReport MergeOk(CVerdalonDoc& ours, const CVerdalonDoc& theirs) {
    MergeReport report;
    MergeRefusal refusal;
    EXPECT_TRUE(MergeInto(ours, theirs, report, refusal)) << refusal.english;
    return report;
}

inline std::string Text(GId id) {
    return std::to_string(id.device) + ":" + std::to_string(id.value);
}

// The tree in order, accounts, movements and every entry, by global ids, with the stamps and
// deletion records as facts: equal dumps, equal documents.
inline std::string Dump(const CVerdalonDoc& doc) {
    const CLedgerIds& ids = doc.Ids();
    const auto gid = [&ids](ItemId id) { return Text(GlobalId(ids, id)); };
    const auto account = [&](const CAccount* a) { return a != nullptr ? gid(a->m_nId) : "-"; };
    std::string out;
    for (int i = 0; i < doc.Accounts().GetCount(); ++i) {
        const CAccount& a = *doc.Accounts().GetAt(i);
        out += "account " + gid(a.m_nId) + " " + Utf8(a.m_strName) + " " +
               std::to_string(a.Balance()) + "\n";
    }
    for (const CMovement& m : doc.Movements().Items()) {
        out += "movement " + gid(m.m_nId) + " " + std::to_string(m.m_day) + " " +
               account(m.m_pFrom) + ">" + account(m.m_pTo) + " " + std::to_string(m.m_nAmount) +
               " " + Utf8(m.m_strNote) + "|" + Utf8(m.m_strGoneName) + "\n";
    }
    const auto node = [&](const auto& self, const CCategoryNode& n, int depth) -> void {
        out += std::string(static_cast<std::size_t>(depth), ' ') + gid(n.m_nId) + " " +
               Utf8(n.GetName()) + "\n";
        if (const CExpenseArticle* article = n.AsArticle()) {
            for (const auto& [day, list] : article->Days()) {
                for (const CExpenseEntry& e : list.Entries()) {
                    out += std::string(static_cast<std::size_t>(depth + 1), ' ') +
                           std::to_string(day) + " " + gid(e.m_nId) + " " +
                           std::to_string(e.m_nAmount) + " " + account(e.m_pAccount) + " " +
                           Utf8(std::u16string(doc.Notes().Text(e.m_nNote))) + "\n";
                }
            }
            return;
        }
        n.AsGroup()->ForEachChild(
            [&](const CCategoryNode& child) { self(self, child, depth + 1); });
    };
    node(node, *doc.GetRoot(), 0);
    const auto stamp = [](const CStamp& st) { return st == CStamp{} ? "-" : st.Text(); };
    const auto rule = [&](const StatementRule& r) {
        std::string line =
            gid(r.id) + " " + gid(r.article) + " " + (r.least ? std::to_string(*r.least) : "") +
            ".." + (r.most ? std::to_string(*r.most) : "") + " " + Utf8(RuleTitle(r)) + " @";
        for (const char byte : r.place) {
            line += std::to_string(static_cast<unsigned char>(byte)) + ",";
        }
        return line + " " + stamp(r.stamps.words) + " " + stamp(r.stamps.article) + " " +
               stamp(r.stamps.range) + " " + stamp(r.stamps.place) + "\n";
    };
    const CStatementMemory& memory = doc.StatementMemory();
    for (const StatementRule& r : memory.Rules().Rules()) {
        out += "rule " + rule(r);
    }
    // Deleted rules, bank ids and their items by global id.
    std::map<std::string, std::string> sorted;
    for (const GoneRule& g : memory.GoneRules()) {
        sorted.emplace("gone " + gid(g.last.id), stamp(g.stamp) + " " + rule(g.last));
    }
    for (const auto& [owner, bankIds] : memory.AllImported()) {
        const std::set<std::u16string> ordered(bankIds.begin(), bankIds.end());
        std::string& line = sorted["bank " + gid(owner)];
        for (const std::u16string& bankId : ordered) {
            line += Utf8(bankId) + " ";
        }
    }
    for (const RecordedBankId& r : memory.RecordedItems()) {
        sorted.emplace("item " + gid(r.account) + " " + Utf8(r.bankId) + " " + gid(r.item), "");
    }
    for (const auto& [owner, memo] : memory.AllCsv()) {
        const CsvMapping& c = memo.mapping;
        const CsvSettings& st = memo.settings;
        std::string& line = sorted["csv " + gid(owner)];
        for (const std::int64_t v :
             {c.date, c.amount, c.debit, c.credit, c.description, c.category, c.account, c.id,
              static_cast<int>(st.encoding), static_cast<int>(st.delimiter),
              static_cast<int>(st.decimal), static_cast<int>(st.dateForm),
              static_cast<int>(st.headerRows)}) {
            line += std::to_string(v) + ",";
        }
        line += " " + stamp(memo.stamp);
    }
    const auto budget = [&](const Budget& b) {
        std::string line = gid(b.node) + " " + std::to_string(b.plan.year) + " " +
                           std::to_string(b.plan.monthly) + " " + std::to_string(b.plan.from) + " ";
        for (const std::optional<Amount>& m : b.plan.months) {
            line += m ? std::to_string(*m) + "," : "-,";
        }
        return line + (b.carry ? " carry " : " ") + stamp(b.stamps.plan) + " " +
               stamp(b.stamps.carry);
    };
    for (const Budget& b : doc.Budgets().Live()) {
        sorted.emplace("budget " + gid(b.id), budget(b));
    }
    for (const GoneBudget& g : doc.Budgets().Gone()) {
        sorted.emplace("budget " + gid(g.last.id), "gone " + stamp(g.stamp) + " " + budget(g.last));
    }
    const auto schedule = [&](const Schedule& sc) {
        std::string line =
            gid(sc.what.article) + " " + std::to_string(sc.what.amount) + " " +
            gid(sc.what.account) + " " + Utf8(sc.what.note) + " " + std::to_string(sc.when.first) +
            " " + std::to_string(static_cast<int>(sc.when.repeat)) + "x" +
            std::to_string(sc.when.every) + " w" +
            std::to_string(static_cast<int>(sc.when.weekend)) + " e" +
            std::to_string(static_cast<int>(sc.when.end)) + " " + std::to_string(sc.when.lastDay) +
            " " + std::to_string(sc.when.count) + " m" + std::to_string(static_cast<int>(sc.mode)) +
            " " + stamp(sc.whatStamp) + " " + stamp(sc.whenStamp) + " " + stamp(sc.modeStamp);
        for (const auto& [k, mark] : sc.marks) {
            line += " " + std::to_string(k) + ":" + std::to_string(static_cast<int>(mark.state)) +
                    "@" + stamp(mark.stamp);
        }
        return line + "\n";
    };
    for (const Schedule& sc : doc.Schedules().Items()) {
        sorted.emplace("schedule " + gid(sc.id), schedule(sc));
    }
    for (const GoneSchedule& g : doc.Schedules().Gone()) {
        sorted.emplace("gone schedule " + gid(g.last.id), stamp(g.stamp) + " " + schedule(g.last));
    }
    for (const auto& [key, line] : sorted) {
        out += key + " " + line + "\n";
    }
    return out;
}

// Every global id of the document's expenses.
inline std::vector<GId> ExpenseIds(const CVerdalonDoc& doc) {
    std::vector<GId> out;
    for (const ExpenseFact& e : TakeFacts(doc).expenses) {
        out.push_back(e.id);
    }
    return out;
}

// A copy of the document on another device: the empty copy merged with it.
inline void CloneInto(Copy& copy, const CVerdalonDoc& from) {
    (void)MergeOk(copy.doc, from);
}

// The ids of the document taken away, as a file of an earlier version leaves it: every item then
// gets its derived id.
void DropIds(CVerdalonDoc& doc);

// One random change of any kind, through the commands: tree, expenses, accounts, movements, the
// import rules and bank ids, budgets, schedules, and the undo and redo of the last ones.
void RandomChange(CVerdalonDoc& doc, std::mt19937& random);

} // namespace tamblero::test
