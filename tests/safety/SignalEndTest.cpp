// The real program, ended from outside by a signal, saves what was typed as its exit command
// does; a save that fails leaves the old file as it was.
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"
#include "tests/safety/ChildProcess.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <sys/wait.h>

namespace tamblero::safety {
namespace {

namespace fs = std::filesystem;

void WriteOld(const fs::path& data) {
    test::CScriptedPlatform platform;
    CVerdalonDoc doc(platform);
    doc.OnNewDocument(data);
    doc.GetRoot()->AddArticle(u"old");
    ASSERT_TRUE(doc.DoSave(data));
}

std::u16string Articles(const fs::path& data) {
    test::CScriptedPlatform platform;
    CVerdalonDoc doc(platform);
    doc.OnNewDocument(data);
    std::u16string names;
    for (const auto& article : doc.GetRoot()->Articles()) {
        names += article->GetName() + u";";
    }
    return names;
}

// Starts the program offscreen on the data file, adding the article "typed" unsaved, sends
// the signal once it is ready, and answers its exit code (-1 for an end other than exit).
int TypeThenEnd(const fs::path& data, int signo, const std::function<void()>& meanwhile = {}) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    CChildProcess program(TAMBLERO_EXE, {"--test-add-article=typed", data.string()});
    std::string line;
    for (char c = program.ReadByte(); c != '\0' && c != '\n'; c = program.ReadByte()) {
        line += c;
    }
    EXPECT_EQ(line, "ready");
    if (meanwhile) {
        meanwhile();
    }
    program.Signal(signo);
    const int status = program.Wait();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// SIGTERM, SIGHUP and SIGINT each save the unsaved change, then the program exits with 0.
TEST(SignalEnd, EachEndSignalSavesWhatWasTyped) {
    for (const int signo : {SIGTERM, SIGHUP, SIGINT}) {
        test::CTempDir dir;
        WriteOld(dir.Path() / "QZData.dat");
        EXPECT_EQ(TypeThenEnd(dir.Path() / "QZData.dat", signo), 0) << signo;
        EXPECT_EQ(Articles(dir.Path() / "QZData.dat"), u"old;typed;") << signo;
    }
}

// A save that fails at the end leaves the old file as it was, and the exit code says so.
TEST(SignalEnd, AFailedSaveLeavesTheOldFile) {
    test::CTempDir dir;
    fs::create_directory(dir.Path() / "data");
    WriteOld(dir.Path() / "data" / "QZData.dat");
    const auto before = test::ReadBytes(dir.Path() / "data" / "QZData.dat");
    // The folder goes away under the running program: no save can land there now.
    EXPECT_EQ(TypeThenEnd(dir.Path() / "data" / "QZData.dat", SIGTERM,
                          [&] { fs::rename(dir.Path() / "data", dir.Path() / "moved"); }),
              1);
    EXPECT_EQ(test::ReadBytes(dir.Path() / "moved" / "QZData.dat"), before);
}

} // namespace
} // namespace tamblero::safety
