// The started program's file dialogs speak Russian through Qt's own translation, open in the
// home folder at first and afterwards where a file was last chosen in a dialog of that kind.
#include "tests/support/GuiWorld.h"

#include "views/ChartWindow.h"
#include "views/DocumentCommands.h"
#include "views/FileDialogs.h"
#include "views/ImportCommand.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <functional>

using namespace tamblero;
using namespace tamblero::test;

namespace {

struct SeenDialog {
    QString folder;
    QString accept;
    QString reject;
    QString fileName;
    QString lookIn;
};

// Runs ask while a timer waits for its file dialog, notes what it shows and answers it with
// the file, after stepping down the filters as often as asked.
SeenDialog Answer(const QString& file, const std::function<void()>& ask, int filterSteps = 0) {
    SeenDialog seen;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        timer.stop();
        seen = {dialog->directory().absolutePath(), dialog->labelText(QFileDialog::Accept),
                dialog->labelText(QFileDialog::Reject), dialog->labelText(QFileDialog::FileName),
                dialog->labelText(QFileDialog::LookIn)};
        auto* filters = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(filters != nullptr);
        for (int i = 0; i < filterSteps; ++i) {
            QTest::keyClick(filters, Qt::Key_Down);
        }
        // Typed as a user would: selectFile leaves a focused name field as it is.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        name->setText(file);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it
    });
    timer.start(10);
    ask();
    return seen;
}

QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace

class FileDialogsTest final : public QObject {
    Q_OBJECT
private slots:
    void russianAtHomeThenWhereLastChosen();
    void aNameWithoutEndingGetsTheChosenFilters();
};

void FileDialogsTest::russianAtHomeThenWhereLastChosen() {
    CGuiWorld w;
    WriteSampleFile(w.Path("QZData.dat"));
    const QString ini = Q(w.Path("tamblero.ini"));
    w.m_settings = std::make_unique<QSettings>(ini, QSettings::IniFormat);
    const QByteArray savedHome = qgetenv("HOME");
    const std::filesystem::path home = w.Path("home");
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(w.Path("saved"));
    std::filesystem::create_directories(w.Path("csv"));
    std::filesystem::create_directories(w.Path("pictures"));
    qputenv("HOME", home.string().c_str());
    QVERIFY(w.Start());

    const auto ask = [&](FileDialogKind kind) {
        return [&w, kind] {
            if (kind == FileDialogKind::SaveData) {
                static_cast<void>(
                    StandardAskSavePath(w.m_settings.get())(&w.Frame(), w.Path("QZData.dat")));
            } else if (kind == FileDialogKind::Import) {
                static_cast<void>(StandardAskFile(w.m_settings.get())(&w.Frame()));
            } else {
                w.Frame().Action(CMainFrame::Command::Chart)->trigger();
                w.Frame().ChartWindow()->OnSave();
            }
        };
    };
    WriteText(w.Path("csv") / "in.csv", "date,category,amount,account\n");
    struct Case {
        FileDialogKind kind;
        std::filesystem::path first;
        std::filesystem::path second; // a new name where the first was written
        QString accept;
    };
    // Each row: a dialog first opens at home with Qt's Russian labels, then in the folder of
    // the file chosen in it, each kind keeping its own.
    const Case cases[] = {
        {FileDialogKind::SaveData, w.Path("saved") / "other.dat", w.Path("saved") / "other.dat",
         u"&Сохранить"_qs},
        {FileDialogKind::Import, w.Path("csv") / "in.csv", w.Path("csv") / "in.csv",
         u"&Открыть"_qs},
        {FileDialogKind::ChartPicture, w.Path("pictures") / "chart.png",
         w.Path("pictures") / "again.png", u"&Сохранить"_qs},
    };
    for (const Case& c : cases) {
        const SeenDialog first = Answer(Q(c.first), ask(c.kind));
        QCOMPARE(first.folder, Q(home));
        QCOMPARE(first.accept, c.accept);
        QCOMPARE(first.reject, u"Отмена"_qs);
        QCOMPARE(first.fileName, u"&Имя файла:"_qs);
        QCOMPARE(first.lookIn, u"Перейти к:"_qs);
        const SeenDialog second = Answer(Q(c.second), ask(c.kind));
        QCOMPARE(second.folder, Q(c.first.parent_path()));
    }
    qputenv("HOME", savedHome);
}

void FileDialogsTest::aNameWithoutEndingGetsTheChosenFilters() {
    // A name typed without an ending gets the chosen filter's; "Все файлы" keeps the one before.
    CGuiWorld w;
    const auto asked = [&w](FileDialogKind kind, int filterSteps) {
        QString chosen;
        Answer(
            Q(w.Path("named")), [&] { chosen = AskFileName(nullptr, nullptr, kind); }, filterSteps);
        return chosen;
    };
    QCOMPARE(asked(FileDialogKind::ChartPicture, 0), Q(w.Path("named.png")));
    QCOMPARE(asked(FileDialogKind::ChartPicture, 1), Q(w.Path("named.svg")));
    QCOMPARE(asked(FileDialogKind::SaveData, 1), Q(w.Path("named.dat")));
}

QTEST_MAIN(FileDialogsTest)
#include "FileDialogsTest.moc"
