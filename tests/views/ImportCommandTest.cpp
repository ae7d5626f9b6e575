// The window imports only after Yes to its summary; No, cancel or a bad file change nothing.
#include "tests/support/GuiWorld.h"

#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"
#include "views/DocumentCommands.h"
#include "views/ImportCommand.h"
#include "views/TreePaths.h"

#include <QAction>
#include <QMenu>

#include <fcntl.h>
#include <unistd.h>

using namespace tamblero;
using namespace tamblero::test;

namespace {

std::filesystem::path WriteCsv(const CGuiWorld& w, const std::string& text) {
    const std::filesystem::path path = w.Path("in.csv");
    WriteText(path, text);
    return path;
}

void Pick(CGuiWorld& w, std::optional<std::filesystem::path> file) {
    w.Frame().ImportCommand().SetAskFile([file](QWidget*) { return file; });
}

} // namespace

class ImportCommandTest final : public QObject {
    Q_OBJECT
private slots:
    void yesRecordsTheRowsAndTheWindowShowsThem();
    void noCancelAndRefusalChangeNothing();
    void refusalsOfEncodingAndSizeSayWhy();
    void openGroupsAndTheSelectionStay();
};

void ImportCommandTest::yesRecordsTheRowsAndTheWindowShowsThem() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    QVERIFY(w.Frame().MainMenu()->actions().contains(w.Frame().ImportCommand().Action()));
    Pick(w, WriteCsv(w, "date,category,amount,account\n"
                        "2008-09-10,Общие / Еда,20,Карта\n"
                        "2008-09-11,Новая,5,\n"));
    w.m_platform.m_messages.clear();
    w.m_platform.Answer(MsgResult::Yes);
    QVERIFY(w.Frame().ImportCommand().OnImport());

    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    const RecordedMessage& summary = w.m_platform.m_messages[0];
    QCOMPARE(summary.buttons, MsgButtons::YesNo);
    const QString text = QStr(summary.text);
    QVERIFY2(text.contains(u"«in.csv» будут добавлены расходы: 2 на сумму 25, с 10 Sep 2008 по "
                           u"11 Sep 2008"_qs),
             qPrintable(text));
    QVERIFY2(text.contains(u"Новых счетов: 1, новых групп: 0, новых статей: 1."_qs),
             qPrintable(text));
    QVERIFY2(text.contains(u"после импорта: 1."_qs), qPrintable(text));
    QVERIFY(w.Doc().IsModified());
    QVERIFY(w.Frame().DocumentCommands().SaveAction()->isEnabled());

    QVERIFY(w.Item(u"Новая").isValid());
    QCOMPARE(w.Cell(0, 2), 20);         // Wednesday 10 September, the root's row
    QCOMPARE(w.Cell(0, 3), 50 + 7 + 5); // Thursday 11 September
}

void ImportCommandTest::noCancelAndRefusalChangeNothing() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    const std::vector<std::uint8_t> before = w.Doc().Store();
    const auto unchanged = [&] { return w.Doc().Store() == before && !w.Doc().IsModified(); };
    w.m_platform.m_messages.clear();

    Pick(w, std::nullopt);
    QVERIFY(!w.Frame().ImportCommand().OnImport());
    QVERIFY(w.m_platform.m_messages.empty());

    Pick(w, WriteCsv(w, "date,category,amount,account\n2008-09-10,Новая,5,Карта\n"));
    w.m_platform.Answer(MsgResult::No);
    QVERIFY(!w.Frame().ImportCommand().OnImport());
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QVERIFY(unchanged());
    QVERIFY(!w.Item(u"Новая").isValid());

    Pick(w, WriteCsv(w, "date,category,amount,account\n"
                        "2008-09-10,Новая,5,Карта\n"
                        "2008-09-10,Новая,1.5,Карта\n"));
    QVERIFY(!w.Frame().ImportCommand().OnImport());
    QCOMPARE(w.m_platform.m_messages.size(), 2u);
    const RecordedMessage& refused = w.m_platform.m_messages[1];
    QCOMPARE(refused.caption, std::u16string(kCaptionError));
    QCOMPARE(QStr(refused.text), u"Файл «in.csv» не импортирован, данные не изменены.\n"
                                 u"Строка 3: сумма «1.5» не целое число от -2147483648 до "
                                 u"2147483647."_qs);
    QVERIFY(unchanged());

    Pick(w, w.Path("absent.csv"));
    QVERIFY(!w.Frame().ImportCommand().OnImport());
    QCOMPARE(w.m_platform.m_messages.size(), 3u);
    QVERIFY(QStr(w.m_platform.m_messages[2].text)
                .startsWith(u"Не удалось прочитать файл «absent.csv»."_qs));
    QVERIFY(unchanged());
}

void ImportCommandTest::refusalsOfEncodingAndSizeSayWhy() {
    // A file that is not UTF-8 or is larger than an import reads is refused in Russian with
    // its cause, and nothing changes.
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    const std::vector<std::uint8_t> before = w.Doc().Store();
    const std::filesystem::path big = w.Path("big.csv");
    const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::ftruncate(fd, off_t{3} << 30U), 0); // sparse
    ::close(fd);
    const std::pair<std::filesystem::path, QString> cases[] = {
        {WriteCsv(w,
                  "date,category,amount,account\n2008-09-10,\xCF\xF0\xEE\xE4\xF3\xEA\xF2\xFB,5,\n"),
         u"Файл «in.csv» не импортирован, данные не изменены.\nСтрока 2: файл не в кодировке "
         u"UTF-8 (байт 0xCF); перекодируйте его, например: iconv -f CP1251 -t UTF-8 in.csv > "
         u"out.csv."_qs},
        {big, u"Файл «big.csv» не импортирован: он больше 2147483648 байт (2 ГиБ), а импорт "
              u"читает файлы не больше этого."_qs},
    };
    for (const auto& [file, text] : cases) {
        w.m_platform.m_messages.clear();
        Pick(w, file);
        QVERIFY(!w.Frame().ImportCommand().OnImport());
        QCOMPARE(w.m_platform.m_messages.size(), 1u);
        QCOMPARE(QStr(w.m_platform.m_messages[0].text), text);
        QVERIFY(w.Doc().Store() == before && !w.Doc().IsModified());
    }
}

// After an import the groups open before are open again and the same node is selected; the
// import's new groups start closed.
void ImportCommandTest::openGroupsAndTheSelectionStay() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    QVERIFY(w.Start());
    w.Tree().setExpanded(w.TreeModel().index(0, 0), true);
    w.Tree().setExpanded(w.Item(u"Общие"), true);
    w.Tree().setCurrentIndex(w.Item(u"Еда"));
    Pick(w, WriteCsv(w, "date,category,amount,account\n"
                        "2008-09-10,Общие / Еда,20,Карта\n"
                        "2008-09-11,Дом / Краска,5,\n"));
    w.m_platform.Answer(MsgResult::Yes);
    QVERIFY(w.Frame().ImportCommand().OnImport());

    QVERIFY(w.Tree().isExpanded(w.TreeModel().index(0, 0)));
    QVERIFY(w.Tree().isExpanded(w.Item(u"Общие")));
    QVERIFY(w.Item(u"Дом").isValid());
    QVERIFY(!w.Tree().isExpanded(w.Item(u"Дом")));
    QCOMPARE(w.Tree().SelectedIndex(), w.Item(u"Еда"));
    QCOMPARE(SelectedPath(w.Tree()), (QStringList{u"Все расходы"_qs, u"Общие"_qs, u"Еда"_qs}));
    QCOMPARE(w.RowNodes(), w.VisibleNodes());
    const int row = static_cast<int>(w.RowNodes().indexOf(w.Tree().GetSelectedNode()));
    QVERIFY(w.Model().index(row, 0).data(CTotalsModel::SelectedRole).toBool());
}

QTEST_MAIN(ImportCommandTest)
#include "ImportCommandTest.moc"
