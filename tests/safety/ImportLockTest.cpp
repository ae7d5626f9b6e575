// Import is refused, the file untouched, while another program holds it; then it saves with .bak.
#include "app/cli/Commands.h"
#include "model/CategoryNode.h"
#include "storage/DataFile.h"
#include "tests/safety/ChildProcess.h"
#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tamblero::safety {
namespace {

TEST(ImportLock, RefusedWhileAnotherProgramHoldsTheDataFile) {
    const test::CTempDir folder;
    const std::filesystem::path data = folder.Path() / "QZData.dat";
    const std::filesystem::path csv = folder.Path() / "in.csv";
    test::WriteBytes(data, WriteDataFile(CAccountList{}, CExpenseGroup(u"Root", nullptr)));
    const std::string rows = "date,category,amount,account\n2009-01-01,Еда,5,Наличные\n";
    test::WriteBytes(csv, std::vector<std::uint8_t>(rows.begin(), rows.end()));
    const std::vector<std::uint8_t> before = test::ReadBytes(data);

    cli::CConsolePlatform platform;
    cli::Request request;
    request.command = cli::Command::Import;
    request.file = data;
    request.input = csv;
    {
        CChildProcess window(TAMBLERO_LOCK_HOLDER, {data.string()});
        ASSERT_EQ(window.ReadByte(), 'L');
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(cli::Execute(request, platform, out, err), cli::kExitUnreadable);
        EXPECT_EQ(out.str(), "");
        EXPECT_NE(err.str().find("a running Tamblero has this data file open"), std::string::npos)
            << err.str();
        EXPECT_EQ(test::ReadBytes(data), before);
        EXPECT_FALSE(std::filesystem::exists(data.string() + ".bak"));
    }

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::Execute(request, platform, out, err), cli::kExitSuccess) << err.str();
    EXPECT_NE(out.str().find("imported: 1 expenses"), std::string::npos) << out.str();
    EXPECT_NE(test::ReadBytes(data), before);
    EXPECT_EQ(test::ReadBytes(data.string() + ".bak"), before);
}

} // namespace
} // namespace tamblero::safety
