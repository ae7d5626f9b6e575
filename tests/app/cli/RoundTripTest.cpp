// Export, import into an empty document, export again: the same rows, notes and ids included,
// for generated documents.
#include "app/cli/Listings.h"
#include "app/core/CsvImport.h"
#include "model/DeriveIds.h"
#include "tests/app/cli/GeneratedDocument.h"
#include "tests/app/cli/GeneratedNotes.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <tuple>

namespace tamblero::test {
namespace {

TEST(ImportRoundTrip, ExportOfTheImportEqualsTheExport) {
    // Names of every kind, those a path must escape among them, come back as they were.
    std::vector<std::u16string> all = kTrickyNames;
    all.insert(all.end(), kPathNames.begin(), kPathNames.end());
    const std::vector<std::u16string>* const tables[] = {&kTrickyNames, &kPathNames, &all};
    for (const auto* table : tables) {
        for (std::uint32_t seed = 1; seed <= 300; ++seed) {
            CScriptedPlatform platform;
            CVerdalonDoc original(platform);
            original.OnNewDocument("/nonexistent/original.dat");
            GenerateDocument(original, seed, *table, true);
            AddNotes(original, seed);
            std::ostringstream first;
            cli::WriteExport(first, *original.GetRoot(), original.Notes(), original.Ids());

            CVerdalonDoc copy(platform);
            copy.OnNewDocument("/nonexistent/copy.dat");
            CsvImportError error;
            const auto import = CCsvImport::Prepare(first.str(), copy, error);
            ASSERT_TRUE(import) << "seed " << seed << ": line " << error.line << ": " << error.text;
            ASSERT_TRUE(import->Apply(copy, error));
            std::ostringstream second;
            cli::WriteExport(second, *copy.GetRoot(), copy.Notes(), copy.Ids());
            ASSERT_EQ(second.str(), first.str()) << "seed " << seed;
        }
    }
}

// Every expense as its identity in any document (its device and sequence, or its derived id with
// no device), its day and amount; sorted.
std::vector<std::tuple<DeviceId, std::uint64_t, DayNumber, Amount>>
Identities(const CVerdalonDoc& doc) {
    std::vector<std::tuple<DeviceId, std::uint64_t, DayNumber, Amount>> all;
    CExpenseIdDeriver deriver(doc.Notes());
    std::vector<ItemId> ids;
    ForEachNode(*doc.GetRoot(), [&](const CCategoryNode& node) {
        if (const CExpenseArticle* article = node.AsArticle()) {
            for (const auto& [day, list] : article->Days()) {
                ExpenseIdsOf(node.m_nId, day, list.Entries(), deriver, ids);
                for (int i = 0; i < list.GetCount(); ++i) {
                    const ItemId id = ids[static_cast<std::size_t>(i)];
                    all.emplace_back(doc.Ids().DeviceOf(id), IsDerived(id) ? id : SeqOf(id), day,
                                     list.GetAt(i).m_nAmount);
                }
            }
        }
    });
    std::sort(all.begin(), all.end());
    return all;
}

// Of every three expenses, one keeps its derived id, one gets a new id of this device, one an
// id of another device.
void MixIds(CExpenseGroup& group, CLedgerIds& ids, std::uint32_t otherSlot, std::uint64_t& n) {
    for (const auto& inner : group.Groups()) {
        MixIds(*inner, ids, otherSlot, n);
    }
    for (const auto& article : group.Articles()) {
        for (auto& [day, list] : article->Days()) {
            for (int i = 0; i < static_cast<int>(list.Entries().size()); ++i) {
                if (++n % 3 == 1) {
                    list.SetId(i, ids.NewId());
                } else if (n % 3 == 2) {
                    list.SetId(i, MakeItemId(otherSlot, 1000 + n));
                }
            }
        }
    }
}

TEST(ImportRoundTrip, AnImportIntoAnEmptyDocumentKeepsEveryExpensesIdentity) {
    // Imported into an empty document on another device, each expense of an export has the
    // identity it had: made on either device or derived.
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        CScriptedPlatform platform;
        CVerdalonDoc original(platform);
        original.OnNewDocument("/nonexistent/original.dat");
        GenerateDocument(original, seed, kTrickyNames, true);
        std::uint64_t n = 0;
        MixIds(*original.GetRoot(), original.Ids(), *original.Ids().SlotFor(DeviceId{0xb2}), n);
        ASSERT_TRUE(original.IdsValid());
        std::ostringstream csv;
        cli::WriteExport(csv, *original.GetRoot(), original.Notes(), original.Ids());

        CScriptedPlatform elsewhere;
        elsewhere.m_device = 0xc3;
        CVerdalonDoc copy(elsewhere);
        copy.OnNewDocument("/nonexistent/copy.dat");
        CsvImportError error;
        const auto import = CCsvImport::Prepare(csv.str(), copy, error);
        ASSERT_TRUE(import) << "seed " << seed << ": line " << error.line;
        ASSERT_TRUE(import->Apply(copy, error));
        EXPECT_EQ(Identities(copy), Identities(original)) << "seed " << seed;
        EXPECT_TRUE(copy.IdsValid()) << "seed " << seed;
    }
}

} // namespace
} // namespace tamblero::test
