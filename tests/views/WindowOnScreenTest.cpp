// On a 1280x1000 screen whose windows have a frame, the main window's frame stays on the
// screen through a rotation, and a first start shows the tree's rows beside a whole year.
#include "tests/support/GuiWorld.h"

#include "views/ScreenFit.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>

using namespace tamblero;
using namespace tamblero::test;

namespace {

// A window started with settings keeps the size the program gives it.
void UseSettings(CGuiWorld& w) {
    w.m_settings = std::make_unique<QSettings>(
        QString::fromStdString(w.Path("tamblero.ini").string()), QSettings::IniFormat);
}

bool FrameOnScreen(const QWidget& window) {
    return window.screen()->availableGeometry().contains(window.frameGeometry());
}

QByteArray Describe(const QWidget& window) {
    const QRect f = window.frameGeometry();
    return QByteArray::number(f.x()) + ',' + QByteArray::number(f.y()) + ' ' +
           QByteArray::number(f.width()) + 'x' + QByteArray::number(f.height());
}

} // namespace

class WindowOnScreenTest final : public QObject {
    Q_OBJECT
private slots:
    void rotationKeepsTheWholeFrameOnTheScreen_data();
    void rotationKeepsTheWholeFrameOnTheScreen();
    void firstStartShowsTheTreesRowsBesideAWholeYear();
    void aWindowBesideAnotherStandsOnTheScreen();
};

void WindowOnScreenTest::rotationKeepsTheWholeFrameOnTheScreen_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("corner"); // where the frame's bottom right stands; none: as started
    QTest::newRow("as a first start leaves it") << QSize() << QPoint();
    QTest::newRow("975 wide at the bottom right") << QSize(975, 666) << QPoint(1279, 999);
    QTest::newRow("nearly the screen's width, at the top left")
        << QSize(1270, 500) << QPoint(1275, 505);
    QTest::newRow("tall, at the bottom") << QSize(600, 990) << QPoint(700, 999);
}

// Turned and turned back, the window with its frame lies inside the available geometry.
void WindowOnScreenTest::rotationKeepsTheWholeFrameOnTheScreen() {
    QFETCH(QSize, size);
    QFETCH(QPoint, corner);
    CGuiWorld w;
    UseSettings(w);
    QVERIFY(w.StartFresh());
    QCOMPARE(w.Frame().screen()->geometry().size(), QSize(1280, 1000));
    if (size.isValid()) {
        w.Frame().resize(size);
        const QSize outer = w.Frame().frameGeometry().size();
        w.Frame().move(corner - QPoint(outer.width() - 1, outer.height() - 1));
        QCoreApplication::processEvents();
    }
    QVERIFY2(FrameOnScreen(w.Frame()), Describe(w.Frame()));
    const QSize before = w.Frame().size();
    w.Frame().Action(CMainFrame::Command::Rotate)->trigger();
    QCoreApplication::processEvents();
    QVERIFY2(FrameOnScreen(w.Frame()), Describe(w.Frame()));
    QCOMPARE(w.Frame().size(), before.transposed().boundedTo(w.Frame().size()));
    w.Frame().Action(CMainFrame::Command::Rotate)->trigger();
    QCoreApplication::processEvents();
    QVERIFY2(FrameOnScreen(w.Frame()), Describe(w.Frame()));
}

// The tree pane is as wide as its widest row within a fifth and half of the window, and
// the grid beside it holds the twelve months of a year without scrolling.
void WindowOnScreenTest::firstStartShowsTheTreesRowsBesideAWholeYear() {
    CGuiWorld w;
    UseSettings(w);
    WriteSampleFile(w.Path("QZData.dat"));
    {
        CScriptedPlatform platform;
        CVerdalonDoc doc(platform);
        QVERIFY(doc.OnNewDocument(w.Path("QZData.dat")));
        doc.GetRoot()->AddArticle(u"Подарки друзьям и родственникам на праздники");
        QVERIFY(doc.DoSave(w.Path("QZData.dat")));
        // The root was open when the last run ended, but nothing else was kept.
        w.m_settings->beginWriteArray(u"view/expandedGroups"_qs, 1);
        w.m_settings->setArrayIndex(0);
        w.m_settings->setValue(u"path"_qs, QStringList{u"Все расходы"_qs});
        w.m_settings->endArray();
        w.m_settings->sync();
    }
    QVERIFY(w.StartFresh());
    QVERIFY2(FrameOnScreen(w.Frame()), Describe(w.Frame()));
    const int total = w.Bar().width();
    const int tree = w.Bar().sizes().value(0);
    QVERIFY2(tree >= total / 5 && tree <= total / 2, QByteArray::number(tree));
    const int widest = w.Tree().ContentWidth();
    QVERIFY2(tree >= std::min(widest, total / 2), QByteArray::number(widest));
    QCOMPARE(w.Tree().horizontalScrollBar()->maximum(), 0);
    w.Bar().LabelButton()->click();
    w.Bar().LabelButton()->click();
    QCoreApplication::processEvents();
    QCOMPARE(w.Model().TotalColumn(), 12);
    QCOMPARE(w.List().horizontalScrollBar()->maximum(), 0);
}

void WindowOnScreenTest::aWindowBesideAnotherStandsOnTheScreen() {
    // A 720x640 frame beside the anchor on a 1920x1080 screen: wholly on the screen, beside the
    // anchor where the room allows, narrowed no further than 400 to get there or near it.
    const QRect screen(0, 0, 1920, 1080);
    const struct {
        const char* where;
        QRect anchor;
        QRect placed;
    } cases[] = {
        {"room on the right", {0, 0, 1000, 800}, {1000, 0, 720, 640}},
        {"room on the left only", {1100, 100, 820, 800}, {380, 100, 720, 640}},
        {"too little room: narrowed on the right", {0, 0, 1400, 800}, {1400, 0, 520, 640}},
        {"too little room: narrowed on the left", {600, 0, 1320, 800}, {0, 0, 600, 640}},
        {"no room either side: narrowest against the edge",
         {320, 50, 1280, 900},
         {1520, 50, 400, 640}},
        {"low on the screen: raised to fit", {0, 700, 1000, 380}, {1000, 440, 720, 640}},
    };
    for (const auto& c : cases) {
        QCOMPARE(FrameBeside(c.anchor, QSize(720, 640), 400, screen), c.placed);
    }
    // Larger than the screen: as high as the screen, as wide as the room beside.
    QCOMPARE(FrameBeside({0, 0, 100, 100}, QSize(4000, 3000), 400, screen),
             QRect(100, 0, 1820, 1080));
}

int main(int argc, char** argv) {
    // The offscreen platform with the screen of a common laptop, and frames on its windows.
    QTemporaryDir dir;
    const QString config = dir.filePath(u"screen.json"_qs);
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        return 2;
    }
    file.write(R"({"windowFrameMargins": true, "screens": [{"name": "laptop", "x": 0, "y": 0,
                  "width": 1280, "height": 1000, "logicalDpi": 96, "logicalBaseDpi": 96,
                  "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", (u"offscreen:configfile="_qs + config).toLocal8Bit());
    QApplication app(argc, argv);
    WindowOnScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowOnScreenTest.moc"
