// The Qt program started as main() starts it, on a scripted platform whose
// executable lives in a temporary folder, plus a sample data file to start on.
#pragma once

#include "app/qt/TambleroApp.h"
#include "model/CategoryNode.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedPlatform.h"
#include "views/CategoryTreeModel.h"
#include "views/FinancesListView.h"
#include "views/FinancesTreeView.h"
#include "views/MainFrame.h"
#include "views/PeriodBar.h"
#include "views/TotalsModel.h"

#include <QSettings>
#include <QTest>

#include <memory>

namespace tamblero::test {

// On 11 September 2008 (a Thursday):
// [Все расходы]
//   [Общие]            <- group
//     Еда              9 Sep: 100, 11 Sep: 50, 1 Aug: 30
//   Кино               11 Sep: 7
// plus, when many is set, articles "a0".."a29" under the root.
inline void WriteSampleFile(const std::filesystem::path& path, bool many = false) {
    CScriptedPlatform platform;
    CVerdalonDoc doc(platform);
    doc.OnNewDocument(path.parent_path() / "absent.dat");
    CExpenseGroup& root = *doc.GetRoot();
    CExpenseArticle* food = root.AddGroup(u"Общие")->AddArticle(u"Еда");
    CExpenseArticle* cinema = root.AddArticle(u"Кино");
    food->AddEntry(DayNumberFromDate(2008, 9, 9), 100);
    food->AddEntry(DayNumberFromDate(2008, 9, 11), 50);
    food->AddEntry(DayNumberFromDate(2008, 8, 1), 30);
    cinema->AddEntry(DayNumberFromDate(2008, 9, 11), 7);
    for (int i = 0; many && i < 30; ++i) {
        root.AddArticle(u"a" + std::u16string(1, static_cast<char16_t>(u'0' + i / 10)) +
                        std::u16string(1, static_cast<char16_t>(u'0' + i % 10)));
    }
    QVERIFY(doc.DoSave(path));
}

class CGuiWorld {
public:
    CGuiWorld() { m_platform.m_executable = Path("tamblero"); }

    [[nodiscard]] std::filesystem::path Path(const char* name) const { return m_dir.Path() / name; }

    // Starts as the program does; arguments as on the command line after the program name.
    // With settings the window keeps the size they give it.
    bool Start(const QStringList& arguments = {}) {
        m_app = std::make_unique<CTambleroApp>(m_platform, m_settings.get());
        const bool ok = m_app->InitInstance(
            ParseStartOptions(QStringList{QStringLiteral("tamblero")} + arguments));
        if (ok && m_settings) {
            QCoreApplication::processEvents();
        } else if (ok) {
            Frame().resize(360, 600);
            QCoreApplication::processEvents();
        }
        return ok;
    }

    // Starts on "QZData.dat" beside the executable, named as the user would name it: without
    // a home nothing else is chosen, and a file not there yet is never chosen beside it.
    bool StartFresh() { return Start({QString::fromStdString(Path("QZData.dat").string())}); }

    [[nodiscard]] CMainFrame& Frame() const { return *m_app->MainFrame(); }
    [[nodiscard]] CVerdalonDoc& Doc() const { return *m_app->Document(); }
    [[nodiscard]] CFinancesTreeView& Tree() const { return Frame().TreeView(); }
    [[nodiscard]] CFinancesListView& List() const { return Frame().ListView(); }
    [[nodiscard]] CTotalsModel& Model() const { return List().Model(); }
    [[nodiscard]] CPeriodBar& Bar() const { return Frame().PeriodBar(); }

    // The period's columns' titles, the total's aside.
    [[nodiscard]] QStringList ColumnTitles() const {
        QStringList titles;
        for (int i = 0; i < Model().TotalColumn(); ++i) {
            titles << Model().headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        }
        return titles;
    }
    [[nodiscard]] int Cell(int row, int column) const {
        return Model().data(Model().index(row, column), CTotalsModel::RawValueRole).toInt();
    }
    // The grid's rows as the nodes they show, and the visible tree items as nodes.
    [[nodiscard]] QList<CCategoryNode*> RowNodes() const {
        QList<CCategoryNode*> nodes;
        for (int r = 0; r < List().Model().rowCount(); ++r) {
            nodes << List().Model().RowNode(r);
        }
        return nodes;
    }
    [[nodiscard]] QList<CCategoryNode*> VisibleNodes() const {
        QList<CCategoryNode*> nodes;
        for (const QModelIndex& item : Tree().VisibleItems()) {
            nodes << TreeModel().NodeAt(item);
        }
        return nodes;
    }
    [[nodiscard]] CCategoryTreeModel& TreeModel() const { return Tree().Model(); }
    // The tree's row of the first node with that name, from the top down; invalid for none.
    [[nodiscard]] QModelIndex Item(const char16_t* name, const QModelIndex& below = {}) const {
        for (int r = 0; r < TreeModel().rowCount(below); ++r) {
            const QModelIndex row = TreeModel().index(r, 0, below);
            if (TreeModel().NodeAt(row)->GetName() == name) {
                return row;
            }
            if (const QModelIndex found = Item(name, row); found.isValid()) {
                return found;
            }
        }
        return {};
    }

    CTempDir m_dir;
    CScriptedPlatform m_platform;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<CTambleroApp> m_app;
};

} // namespace tamblero::test
