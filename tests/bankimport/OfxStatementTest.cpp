#include "bankimport/OfxStatement.h"
#include "bankimport/StatementFile.h"
#include "tests/support/CoreWorld.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <string>

namespace tamblero {
namespace {

#ifdef TAMBLERO_OFX_HELPER
const std::filesystem::path kHelper = TAMBLERO_OFX_HELPER;
#define SKIP_WITHOUT_HELPER()
#else
const std::filesystem::path kHelper;
#define SKIP_WITHOUT_HELPER() GTEST_SKIP() << "built without libofx: no tamblero-ofx"
#endif

// OFX 1.02 (SGML: the data elements' end tags left out, as banks write them) around the
// operations given.
std::string Sgml(const std::string& operations) {
    return "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nSECURITY:NONE\nENCODING:USASCII\n"
           "CHARSET:1252\nCOMPRESSION:NONE\nOLDFILEUID:NONE\nNEWFILEUID:NONE\n\n<OFX>\n"
           "<SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>20260310"
           "<LANGUAGE>RUS</SONRS></SIGNONMSGSRSV1>\n<BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS>"
           "<CODE>0<SEVERITY>INFO</STATUS>\n<STMTRS><CURDEF>RUB<BANKACCTFROM><BANKID>1<ACCTID>"
           "40817<ACCTTYPE>CHECKING</BANKACCTFROM>\n<BANKTRANLIST><DTSTART>20260301<DTEND>"
           "20260310\n" +
           operations +
           "</BANKTRANLIST>\n<LEDGERBAL><BALAMT>100<DTASOF>20260310</LEDGERBAL>\n"
           "</STMTRS></STMTTRNRS></BANKMSGSRSV1>\n</OFX>\n";
}

// OFX 2.11 (XML, every element closed).
const char* const kXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
    "<?OFX OFXHEADER=\"200\" VERSION=\"211\" SECURITY=\"NONE\" OLDFILEUID=\"NONE\" "
    "NEWFILEUID=\"NONE\"?>\n<OFX>\n<SIGNONMSGSRSV1><SONRS><STATUS><CODE>0</CODE><SEVERITY>INFO"
    "</SEVERITY></STATUS><DTSERVER>20260310</DTSERVER><LANGUAGE>RUS</LANGUAGE></SONRS>"
    "</SIGNONMSGSRSV1>\n<BANKMSGSRSV1><STMTTRNRS><TRNUID>1</TRNUID><STATUS><CODE>0</CODE>"
    "<SEVERITY>INFO</SEVERITY></STATUS>\n<STMTRS><CURDEF>RUB</CURDEF><BANKACCTFROM><BANKID>1"
    "</BANKID><ACCTID>40817</ACCTID><ACCTTYPE>CHECKING</ACCTTYPE></BANKACCTFROM>\n"
    "<BANKTRANLIST><DTSTART>20260301</DTSTART><DTEND>20260310</DTEND>\n"
    "<STMTTRN><TRNTYPE>DEBIT</TRNTYPE><DTPOSTED>20260306</DTPOSTED><TRNAMT>-7.49</TRNAMT>\n"
    "<FITID>X-1</FITID><NAME>Кафе «Ромашка»</NAME><MEMO>карта *1234</MEMO></STMTTRN>\n"
    "</BANKTRANLIST>\n<LEDGERBAL><BALAMT>100</BALAMT><DTASOF>20260310</DTASOF></LEDGERBAL>\n"
    "</STMTRS></STMTTRNRS></BANKMSGSRSV1>\n</OFX>\n";

const char* const kTwoOperations =
    "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20260302<TRNAMT>-1234.56<FITID>F-1<NAME>Pyaterochka"
    "</STMTTRN>\n<STMTTRN><TRNTYPE>CREDIT<DTPOSTED>20260305120000[+3:MSK]<TRNAMT>500\n"
    "<FITID>F-2<NAME>Salary<MEMO>March</STMTTRN>\n";

struct Files {
    test::CTempDir dir;
    test::CScriptedPlatform platform;

    StatementRead Read(const std::string& text, const std::filesystem::path& helper = kHelper,
                       HelperLimits limits = {}) {
        const auto path = dir.Path() / "st.ofx";
        EXPECT_TRUE(test::WriteText(path, text));
        return ReadOfx(platform, helper, path, text, limits);
    }
    // A stand-in for the helper: a shell script of that body.
    std::filesystem::path Script(const char* name, const std::string& body) {
        const auto path = dir.Path() / name;
        EXPECT_TRUE(test::WriteText(path, "#!/bin/sh\n" + body + "\n"));
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
};

TEST(OfxStatement, SgmlAndXmlStatementsGiveTheirOperationsWithFitIdsAndLines) {
    // Each operation's day, exact amount, FITID as the bank id, name and memo as the words,
    // and the line of its FITID, from either form of OFX.
    SKIP_WITHOUT_HELPER();
    struct Case {
        std::string text;
        std::vector<StatementRow> rows;
    };
    const auto row = [](int day, std::int64_t hundredths, std::u16string words, std::u16string id,
                        std::size_t line) {
        return StatementRow{DayNumberFromDate(2026, 3, day),
                            hundredths,
                            std::move(words),
                            std::move(id),
                            {},
                            {},
                            line};
    };
    const Case cases[] = {
        {Sgml(kTwoOperations),
         {row(2, -123456, u"Pyaterochka", u"F-1", 16), row(5, 50000, u"Salary March", u"F-2", 18)}},
        {kXml, {row(6, -749, u"Кафе «Ромашка» карта *1234", u"X-1", 9)}},
    };
    for (const Case& c : cases) {
        Files f;
        const StatementRead read = f.Read(c.text);
        ASSERT_TRUE(read.Ok()) << test::Utf8(read.error->Message());
        ASSERT_EQ(read.rows.size(), c.rows.size());
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            const StatementRow& got = read.rows[i];
            EXPECT_EQ(got.day, c.rows[i].day) << i;
            EXPECT_EQ(got.hundredths, c.rows[i].hundredths) << i;
            EXPECT_EQ(got.description, c.rows[i].description) << i;
            EXPECT_EQ(got.bankId, c.rows[i].bankId) << i;
            EXPECT_EQ(got.line, c.rows[i].line) << i;
        }
    }
}

TEST(OfxStatement, BadFilesAndBadHelpersGiveAMessageAndNoRow) {
    // Whatever the file or the helper does, the caller gets no row and a Russian message
    // naming why (the line where the file names one).
    Files f;
    struct Case {
        const char* what;
        std::string text;
        std::filesystem::path helper;
        StringId error;
        std::size_t line;
        bool needsHelper;
    };
    const Case cases[] = {
        {"an unclosed aggregate",
         Sgml("<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20260302<TRNAMT>-1"
              "<FITID>1\n<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20260303"
              "<TRNAMT>-2<FITID>2</STMTTRN>\n"),
         kHelper, IDS_OFX_REFUSED_AT, 17, true},
        {"garbage", "\x01\x7f garbage \xff\xfe", kHelper, IDS_OFX_REFUSED, 0, true},
        {"no operation", Sgml(""), kHelper, IDS_STATEMENT_EMPTY, 0, true},
        {"an amount past an Amount",
         Sgml("<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20260302<TRNAMT>"
              "-3000000000<FITID>1</STMTTRN>\n"),
         kHelper, IDS_STATEMENT_AMOUNT_RANGE, 16, true},
        {"no helper", Sgml(kTwoOperations), f.dir.Path() / "none", IDS_OFX_NO_HELPER, 0, false},
        {"a crash", "", f.Script("crash", "kill -SEGV $$"), IDS_OFX_CRASHED, 0, false},
        {"a hang", "", f.Script("hang", "exec sleep 30"), IDS_OFX_TIMED_OUT, 0, false},
        {"a flood", "", f.Script("flood", "exec yes"), IDS_OFX_TOO_MUCH, 0, false},
        {"a day past the calendar", "<FITID>F\n<FITID>G\n",
         f.Script("day", "printf 'T\\t99999-01-01\\t-1\\tG\\ta\\t\\nEND\\t1\\n'"),
         IDS_STATEMENT_BAD_DATE, 2, false},
        {"cut short", "", f.Script("cut", "printf 'T\\t2026-03-02\\t-100\\t1\\ta\\t\\n'"),
         IDS_OFX_BAD_OUTPUT, 0, false},
    };
    for (const Case& c : cases) {
        if (c.needsHelper && kHelper.empty()) {
            continue;
        }
        const StatementRead read = f.Read(c.text, c.helper, HelperLimits{3000, 1 << 20});
        ASSERT_FALSE(read.Ok()) << c.what;
        EXPECT_TRUE(read.rows.empty()) << c.what;
        EXPECT_EQ(read.error->text, c.error) << c.what << ": " << test::Utf8(read.error->Message());
        EXPECT_EQ(read.error->line, c.line) << c.what;
    }
}

TEST(OfxStatement, AStatementFileOfOfxIsReadThroughTheHelperBesideTheProgram) {
    // ReadStatementFile finds the helper beside the executable and reads an OFX named .qfx.
    SKIP_WITHOUT_HELPER();
    Files f;
    f.platform.m_executable = kHelper.parent_path() / "tamblero";
    const auto path = f.dir.Path() / "st.qfx";
    ASSERT_TRUE(test::WriteText(path, Sgml(kTwoOperations)));
    const StatementFile file = ReadStatementFile(path, {}, &f.platform);
    EXPECT_EQ(file.format, StatementFormat::Ofx);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.read.rows.size(), 2U);
}

} // namespace
} // namespace tamblero
