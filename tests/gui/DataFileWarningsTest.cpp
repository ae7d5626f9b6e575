// What the window says about its data file when something around it is wrong.
#include "tests/gui/GuiWorld.h"

#include "resources/StringTable.h"

using namespace tamblero;
using namespace tamblero::test;

class DataFileWarningsTest final : public QObject {
    Q_OBJECT
private slots:
    void aLinkToNothingStopsTheStartBeforeTheWindow();
};

void DataFileWarningsTest::aLinkToNothingStopsTheStartBeforeTheWindow() {
    // A dangling link ends the start with its target named; nothing is made beside it.
    CGuiWorld w;
    const std::filesystem::path target = w.Path("gone") / "data.dat";
    std::filesystem::create_symlink(target, w.Path("QZData.dat"));
    QVERIFY(!w.Start());
    QCOMPARE(w.m_platform.m_messages.size(), 1u);
    QVERIFY(w.m_platform.m_messages[0].text.starts_with(LoadString(IDS_DATA_FILE_UNREADABLE)));
    QVERIFY(Utf8(w.m_platform.m_messages[0].text).find(target.string()) != std::string::npos);
    QVERIFY(w.m_app->MainFrame() == nullptr);
    QVERIFY(std::filesystem::is_symlink(w.Path("QZData.dat")));
    QVERIFY(!std::filesystem::exists(w.Path("QZData.dat.lock")));
}

QTEST_MAIN(DataFileWarningsTest)
#include "DataFileWarningsTest.moc"
