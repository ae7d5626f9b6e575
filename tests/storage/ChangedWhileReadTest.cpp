// A data file another program rewrites in place while it is being read is read again, whole,
// as it is now: neither half of each nor taken for damage, whether it grew or shrank.
#include "storage/DataFile.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <utility>

namespace tamblero {
namespace {

// Rewrites the file in place with other bytes as the reader's first read begins.
class CRewriteOnFirstRead final : public IReadCalls {
public:
    CRewriteOnFirstRead(std::filesystem::path path, std::vector<std::uint8_t> bytes)
        : m_path(std::move(path)), m_bytes(std::move(bytes)) {}
    ssize_t Pread(int fd, void* out, std::size_t n, off_t offset) override {
        if (!std::exchange(m_bDone, true)) {
            EXPECT_TRUE(test::WriteBytes(m_path, m_bytes)); // in place: the same file, truncated
        }
        return ::pread(fd, out, n, offset);
    }

private:
    std::filesystem::path m_path;
    std::vector<std::uint8_t> m_bytes;
    bool m_bDone = false;
};

// A file of an account and an article with this many entries, each with a note.
std::vector<std::uint8_t> FileOf(int entries) {
    test::CCoreWorld w;
    CAccount* card = w.m_doc.Accounts().CreateAccount();
    CExpenseArticle* food = w.Root().AddArticle(u"food");
    for (int i = 0; i < entries; ++i) {
        food->AddEntry(148000 + static_cast<DayNumber>(i % 50), i + 1, card,
                       w.m_doc.Notes().Add(
                           u"note " + std::u16string(static_cast<std::size_t>(1 + i % 9), u'x')));
    }
    return WriteDataFile(w.m_doc.Accounts(), w.Root(), w.m_doc.Notes());
}

TEST(ChangedWhileRead, AFileRewrittenSmallerOrLargerIsReadAgainAsItIsNow) {
    const std::vector<std::uint8_t> few = FileOf(3);
    const std::vector<std::uint8_t> many = FileOf(40000); // past the reader's first read
    const struct {
        const char* what;
        const std::vector<std::uint8_t>& before;
        const std::vector<std::uint8_t>& after;
    } cases[] = {{"rewritten smaller", many, few}, {"rewritten larger", few, many}};
    const test::CTempDir dir;
    const std::filesystem::path path = dir.Path() / "QZData.dat";
    for (const auto& c : cases) {
        ASSERT_TRUE(test::WriteBytes(path, c.before)) << c.what;
        CRewriteOnFirstRead calls(path, c.after);
        const CAccountList none;
        ReadResult result;
        Reason error;
        ASSERT_EQ(ReadDataFile(path, none, result, error, &calls), FileRead::Done) << c.what;
        ASSERT_TRUE(result.data.has_value()) << c.what << ": " << result.error;
        CAccountList accounts;
        accounts.AppendAll(std::move(result.data->accounts));
        EXPECT_EQ(WriteDataFile(accounts, *result.data->root, result.data->extension.notes),
                  c.after)
            << c.what;
    }
}

} // namespace
} // namespace tamblero
