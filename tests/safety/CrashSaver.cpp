// The crash test's victim: loads the data file named on the command line the way the
// program does, then saves the next generation over and over until it is killed.
// It writes 'R' to stdout once loaded and 'S' after every save that completed.
#include "app/core/MainFrameCore.h"
#include "tests/safety/LargeDocument.h"
#include "tests/support/ScriptedPlatform.h"

#include <cstdio>
#include <unistd.h>

namespace {

void Tell(char c) {
    // Unbuffered, so the parent counts exactly the saves that completed before the kill.
    while (::write(STDOUT_FILENO, &c, 1) != 1) {
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data file>\n", argv[0]);
        return 2;
    }
    using namespace tamblero;
    test::CScriptedPlatform platform;
    CMainFrameCore frame(platform);
    CVerdalonDoc doc(platform);
    frame.SetDocument(&doc);
    doc.OnNewDocument(std::filesystem::path(argv[1]));
    if (doc.HasDamagedFile() || doc.Accounts().GetCount() == 0) {
        std::fprintf(stderr, "the data file did not load: %s\n", doc.GetLastError().c_str());
        return 3;
    }
    Tell('R');
    for (int g = safety::GenerationOf(doc.Accounts()) + 1;; ++g) {
        safety::StampGeneration(doc, g);
        if (!doc.SaveModified()) {
            std::fprintf(stderr, "saving failed: %s\n", doc.GetLastError().c_str());
            return 4;
        }
        Tell('S');
    }
}
