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
#include <sys/wait.h>

namespace tamblero::safety {
namespace {

namespace fs = std::filesystem;

void WriteData(const fs::path& path) {
    test::CScriptedPlatform platform;
    CVerdalonDoc doc(platform);
    doc.OnNewDocument(path.parent_path() / "absent.dat");
    doc.GetRoot()->AddArticle(u"old");
    ASSERT_TRUE(doc.DoSave(path));
}

bool HoldsArticle(const fs::path& path, const std::u16string& name) {
    test::CScriptedPlatform platform;
    CVerdalonDoc doc(platform);
    doc.OnNewDocument(path);
    for (const auto& article : doc.GetRoot()->m_articles) {
        if (article->GetName() == name) {
            return true;
        }
    }
    return false;
}

// The program to start, offscreen: the test has no display.
fs::path Program() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return TAMBLERO_EXE;
}

// The program on the data file with one article "typed" added and not yet saved; it says
// "ready" once that is so.
class CTyping final {
public:
    explicit CTyping(const fs::path& data)
        : m_child(Program(), {"--test-add-article=typed", data.string()}) {}
    [[nodiscard]] bool Ready() {
        std::string line;
        for (char c = m_child.ReadByte(); c != '\0' && c != '\n'; c = m_child.ReadByte()) {
            line += c;
        }
        return line == "ready";
    }
    // The exit code, or -1 for an end other than exit.
    int EndWith(int signo) {
        m_child.Signal(signo);
        const int status = m_child.Wait();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    CChildProcess m_child;
};

// SIGTERM, SIGHUP and SIGINT each save the unsaved change, then the program exits with 0.
TEST(SignalEnd, EachEndSignalSavesWhatWasTyped) {
    for (const int signo : {SIGTERM, SIGHUP, SIGINT}) {
        CTempFolder dir;
        const fs::path data = dir.Path() / "QZData.dat";
        WriteData(data);
        CTyping program(data);
        ASSERT_TRUE(program.Ready()) << signo;
        EXPECT_EQ(program.EndWith(signo), 0) << signo;
        EXPECT_TRUE(HoldsArticle(data, u"typed")) << signo;
    }
}

// A save that fails at the end leaves the old file as it was, and the exit code says so.
TEST(SignalEnd, AFailedSaveLeavesTheOldFile) {
    CTempFolder dir;
    fs::create_directory(dir.Path() / "data");
    WriteData(dir.Path() / "data" / "QZData.dat");
    const std::vector<std::uint8_t> before = test::ReadBytes(dir.Path() / "data" / "QZData.dat");
    CTyping program(dir.Path() / "data" / "QZData.dat");
    ASSERT_TRUE(program.Ready());
    // The folder goes away under the running program: no save can land there now.
    fs::rename(dir.Path() / "data", dir.Path() / "moved");
    EXPECT_EQ(program.EndWith(SIGTERM), 1);
    EXPECT_EQ(test::ReadBytes(dir.Path() / "moved" / "QZData.dat"), before);
    EXPECT_FALSE(fs::exists(dir.Path() / "data"));
}

} // namespace
} // namespace tamblero::safety
