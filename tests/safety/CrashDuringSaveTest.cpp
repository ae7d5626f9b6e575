// A save killed at any moment leaves the last or the next generation on disk, whole.
#include "app/core/MainFrameCore.h"
#include "storage/DataFile.h"
#include "storage/FileIO.h"
#include "tests/safety/ChildProcess.h"
#include "tests/safety/LargeDocument.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>

namespace tamblero::safety {
namespace {

constexpr int kKills = 200;
#if defined(TAMBLERO_SANITIZED)
// Under the sanitizers every byte costs several times more; a smaller file still takes
// many kills in the middle of its writing.
constexpr int kEntries = 50000;
#else
constexpr int kEntries = 200000;
#endif
// Kills land up to this long after the child has loaded: over several whole saves.
constexpr int kMaxDelayMicroseconds = 60000;

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) {
        bytes.clear();
    }
    return bytes;
}

// The byte images of every generation, made from one document of our own.
class CImages final {
public:
    explicit CImages(const std::filesystem::path& dataFile)
        : m_frame(m_platform), m_doc(m_platform) {
        m_frame.SetDocument(&m_doc);
        m_doc.OnNewDocument(dataFile);
        BuildLargeDocument(m_doc, kEntries);
    }
    // Kept for the generations around the last one asked for, which the next kill meets again.
    const std::vector<std::uint8_t>& Of(int generation) {
        std::erase_if(m_cache, [&](const auto& kept) { return kept.first < generation - 2; });
        auto it = m_cache.find(generation);
        if (it == m_cache.end()) {
            StampGeneration(m_doc, generation);
            it = m_cache.emplace(generation, m_doc.Store()).first;
        }
        return it->second;
    }
    CVerdalonDoc& Doc() { return m_doc; }

private:
    test::CScriptedPlatform m_platform;
    CMainFrameCore m_frame;
    CVerdalonDoc m_doc;
    std::map<int, std::vector<std::uint8_t>> m_cache;
};

TEST(CrashDuringSave, EveryKillLeavesThePreviousOrTheNewFileWhole) {
    const test::CTempDir folder;
    const std::filesystem::path dataFile = folder.Path() / kDataFileName;
    const std::filesystem::path backup = dataFile.string() + ".bak";
    CImages images(dataFile);
    StampGeneration(images.Doc(), 0);
    ASSERT_TRUE(images.Doc().DoSave(dataFile)) << images.Doc().GetLastError();

    std::mt19937 random(20081211);
    std::uniform_int_distribution<int> delay(0, kMaxDelayMicroseconds);
    int generation = 0;
    int interruptedWrites = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill) + ", generation " + std::to_string(generation));
        CChildProcess child(TAMBLERO_CRASH_SAVER, {dataFile.string()});
        ASSERT_EQ(child.ReadByte(), 'R') << "the saver did not load the file";
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        child.Kill();
        const int status = child.Wait();
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the saver ended by itself, status " << status;
        const std::string told = child.ReadRest();
        const int saved = static_cast<int>(std::count(told.begin(), told.end(), 'S'));

        const std::vector<std::uint8_t> bytes = ReadBytes(dataFile);
        ASSERT_FALSE(bytes.empty()) << "no data file after the kill";
        ReadResult read = ReadDataFile(bytes, CAccountList{});
        ASSERT_TRUE(read.data) << "the data file does not load: " << read.error;
        CAccountList accounts;
        accounts.AppendAll(std::move(read.data->accounts));
        const int found = GenerationOf(accounts);
        // Every reported save is on disk; the save under way may have got there as well.
        ASSERT_TRUE(found == generation + saved || found == generation + saved + 1)
            << "found generation " << found << " after " << saved << " reported saves";
        ASSERT_TRUE(bytes == images.Of(found)) << "the file mixes generations";

        if (std::filesystem::exists(backup)) {
            // Only the first save of a run keeps a backup: the file as a saver found it.
            const std::vector<std::uint8_t> previous = ReadBytes(backup);
            bool whole = false;
            for (int g = generation; g >= 0 && !whole; --g) {
                whole = previous == images.Of(g);
            }
            EXPECT_TRUE(whole) << "the backup is not a whole earlier generation";
        }
        int temps = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(std::string(kDataFileName) + ".tmp-")) {
                ++temps;
                std::filesystem::remove(entry.path());
            }
        }
        EXPECT_LE(temps, 1) << "more than one save was under way";
        interruptedWrites += temps;
        generation = found;
    }
    // Some kills must have hit a save in the middle, or nothing was tested.
    EXPECT_GT(interruptedWrites, 0);
    std::printf("%d kills, %d in the middle of writing, generation %d reached\n", kKills,
                interruptedWrites, generation);
}

} // namespace
} // namespace tamblero::safety
