// The About dialog shows the version the build wrote into the program's version record, and the
// data file, each in full.
#include "dialogs/AboutDlg.h"
#include "app/core/VersionInfo.h"
#include "dialogs/VersionRecord.h"
#include "tests/support/Controls.h"

#include <QLabel>
#include <QtTest>

using namespace tamblero;

class AboutDlgTest final : public QObject {
    Q_OBJECT
private slots:
    void showsTheProjectVersionWithPoints() {
        CAboutDlg dlg("/tmp/QZData.dat");
        QCOMPARE(dlg.windowTitle(), QStringLiteral("О программе..."));
        auto* version = test::VersionLabel(dlg);
        QVERIFY(version != nullptr);
        // One blank between the caption and the version.
        QCOMPARE(version->text(), QStringLiteral("Tamblero версия: " TAMBLERO_VERSION));
        auto* icon = test::IconLabel(dlg);
        QVERIFY(icon != nullptr);
        QVERIFY(!icon->pixmap().isNull());
    }

    // Wide enough for the window's title beside a title bar's icon and buttons, and for every
    // line, the data file's whole path among them.
    void isSizedToItsTitleAndText_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("short path") << QStringLiteral("/d/QZData.dat");
        QTest::newRow("long path") << QStringLiteral(
            "/home/someone/.local/share/tamblero/папка с пробелами/и ещё одна/QZData.dat");
    }
    void isSizedToItsTitleAndText() {
        QFETCH(QString, path);
        CAboutDlg dlg(std::filesystem::path(path.toStdString()));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto* file = test::DataPathLabel(dlg);
        QVERIFY(file != nullptr);
        QCOMPARE(file->text(), path);
        QFont bold = dlg.font();
        bold.setBold(true);
        QVERIFY(dlg.width() >= QFontMetrics(bold).horizontalAdvance(dlg.windowTitle()) + 100);
        for (const QLabel* label : dlg.findChildren<QLabel*>()) {
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
            QVERIFY(dlg.rect().contains(label->geometry()));
        }
    }

    void theEmbeddedRecordIsReadOnAnyLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("Russian") << 0x0419;
        QTest::newRow("English") << 0x0409;
        QTest::newRow("neutral") << 0x0000;
        QTest::newRow("German") << 0x0407;
    }
    void theEmbeddedRecordIsReadOnAnyLanguage() {
        QFETCH(int, language);
        CVersionInfo info;
        QVERIFY(info.Read(EmbeddedVersionRecord(), static_cast<std::uint16_t>(language)));
        const std::u16string commas = QStringLiteral(TAMBLERO_VERSION)
                                          .replace(QLatin1Char('.'), QLatin1Char(','))
                                          .toStdU16String();
        QCOMPARE(info.GetFileVersion(), commas);
        QCOMPARE(info.m_strProductVersion, commas);
        QCOMPARE(info.m_strProductName, std::u16string(u"Tamblero"));
        QCOMPARE(info.m_strOriginalFileName, std::u16string(u"tamblero"));
        // The fixed block carries the same version, each half's high part second.
        QCOMPARE(info.m_fixedInfo[0], std::uint8_t{0xBD});
        QCOMPARE(info.m_fixedInfo[8], std::uint8_t{TAMBLERO_VERSION_MINOR});
        QCOMPARE(info.m_fixedInfo[10], std::uint8_t{TAMBLERO_VERSION_MAJOR});
        QCOMPARE(info.m_fixedInfo[12], std::uint8_t{TAMBLERO_VERSION_TWEAK});
        QCOMPARE(info.m_fixedInfo[14], std::uint8_t{TAMBLERO_VERSION_PATCH});
    }
};

QTEST_MAIN(AboutDlgTest)
#include "AboutDlgTest.moc"
