// Export, import into an empty document, export again: the same rows, notes included, for
// generated documents.
#include "app/cli/Listings.h"
#include "app/core/CsvImport.h"
#include "tests/app/cli/GeneratedDocument.h"
#include "tests/app/cli/GeneratedNotes.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <sstream>

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
            cli::WriteExport(first, *original.GetRoot(), original.Notes());

            CVerdalonDoc copy(platform);
            copy.OnNewDocument("/nonexistent/copy.dat");
            CsvImportError error;
            const auto import = CCsvImport::Prepare(first.str(), copy, error);
            ASSERT_TRUE(import) << "seed " << seed << ": line " << error.line << ": " << error.text;
            ASSERT_TRUE(import->Apply(copy, error));
            std::ostringstream second;
            cli::WriteExport(second, *copy.GetRoot(), copy.Notes());
            ASSERT_EQ(second.str(), first.str()) << "seed " << seed;
        }
    }
}

} // namespace
} // namespace tamblero::test
