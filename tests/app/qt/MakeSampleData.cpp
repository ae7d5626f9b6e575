// Writes a small data file for the program's smoke start: a group, two articles, a few expenses.
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/ScriptedPlatform.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    using namespace tamblero;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_data <data file>\n");
        return 2;
    }
    const std::filesystem::path path = argv[1];
    std::filesystem::create_directories(path.parent_path());
    test::CScriptedPlatform platform;
    CVerdalonDoc doc(platform);
    doc.OnNewDocument(path.parent_path() / "absent.dat");
    CExpenseGroup& root = *doc.GetRoot();
    CExpenseArticle* food = root.AddGroup(u"Общие")->AddArticle(u"Еда");
    food->AddEntry(DayNumberFromDate(2008, 9, 9), 100);
    root.AddArticle(u"Кино")->AddEntry(DayNumberFromDate(2008, 9, 11), 7);
    if (!doc.DoSave(path)) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], doc.GetLastError().c_str());
        return 1;
    }
    return 0;
}
