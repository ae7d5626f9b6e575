// tamblero_sync_peer: the real window, started as `tamblero` starts it (the Qt platform, the
// data file's place, the lock, the settings), with no one at it: it reads user actions from
// its standard input, one a line, and performs each through the window's own commands and
// dialogs with QTest's keys, while its sync watcher takes in what other devices write.
//   expense|ARTICLE|AMOUNT    Return on the article, the amount typed, Return
//   deposit|ACCOUNT|AMOUNT    "Счета...", the account's row, "Внести / Перевести деньги",
//                             the amount, Return
//   rename|NODE|NEW NAME      the rename action (F2) on the node, the new name typed, Return
//   quit                      closes the window, which saves
// Each action prints "done LINE" once performed, else "failed LINE" (with the reason on standard
// error) or "unknown LINE"; a message box that no action expects is printed as
// "unexpected message: TEXT" on standard error and closed. SIGTERM ends it as it ends tamblero.
//   tamblero_sync_peer DATAFILE      (QT_QPA_PLATFORM=offscreen)
#include "app/qt/TambleroApp.h"
#include "dialogs/QtStrings.h"
#include "tests/support/Controls.h"
#include "views/CategoryTreeModel.h"
#include "views/DocumentCommands.h"
#include "views/FinancesTreeView.h"
#include "views/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <deque>
#include <functional>
#include <optional>
#include <unistd.h>

namespace tamblero {
namespace {

constexpr int kPollMs = 20;

// Runs `act` on the next modal dialog other than `current` once it is up.
void OnNextModal(QWidget* current, std::function<void(QWidget&)> act) {
    QTimer::singleShot(kPollMs, qApp, [current, act = std::move(act)]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == current || !modal->isVisible()) {
            OnNextModal(current, std::move(act));
            return;
        }
        act(*modal);
    });
}

// The field's text replaced by typing, as a user selects it all and types over it.
void TypeOver(QWidget* field, const QString& text) {
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    // keyClicks knows ASCII alone; a key of another alphabet is its text.
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

class CPeer final : public QObject {
public:
    explicit CPeer(CMainFrame& frame)
        : QObject(&frame), m_frame(frame), m_input(0, QSocketNotifier::Read, this) {
        connect(&m_input, &QSocketNotifier::activated, this, &CPeer::ReadInput);
        // A box no action waits for would hold the window forever with no one to answer it.
        connect(&m_watch, &QTimer::timeout, this, &CPeer::CloseStrayBox);
        m_watch.start(200);
    }

private:
    void ReadInput() {
        char buffer[4096];
        const ssize_t got = ::read(0, buffer, sizeof buffer);
        if (got <= 0) {
            m_input.setEnabled(false); // the writer went; the window keeps running
            return;
        }
        m_pending.append(buffer, static_cast<qsizetype>(got));
        while (m_pending.contains('\n')) {
            const qsizetype end = m_pending.indexOf('\n');
            m_lines.push_back(QString::fromUtf8(m_pending.left(end)));
            m_pending.remove(0, end + 1);
        }
        RunNext();
    }

    void RunNext() {
        if (m_bRunning || m_lines.empty()) {
            return;
        }
        m_bRunning = true;
        const QString line = m_lines.front();
        m_lines.pop_front();
        const QStringList parts = line.split(QLatin1Char('|'));
        const QString& verb = parts[0];
        std::optional<bool> done; // none: no such action
        if (verb == QStringLiteral("expense") && parts.size() == 3) {
            done = Expense(parts[1], parts[2]);
        } else if (verb == QStringLiteral("deposit") && parts.size() == 3) {
            done = Deposit(parts[1], parts[2]);
        } else if (verb == QStringLiteral("rename") && parts.size() == 3) {
            done = Rename(parts[1], parts[2]);
        } else if (verb == QStringLiteral("quit")) {
            done = m_frame.close();
        }
        const char* outcome = !done ? "unknown" : *done ? "done" : "failed";
        std::printf("%s %s\n", outcome, line.toUtf8().constData());
        std::fflush(stdout);
        m_bRunning = false;
        QTimer::singleShot(0, this, &CPeer::RunNext);
    }

    // Selects the first node of that name in the tree, opening the groups above it.
    bool Select(const QString& name) {
        CFinancesTreeView& tree = m_frame.TreeView();
        const QModelIndex found = Find(tree.Model(), name, {});
        if (!found.isValid()) {
            std::fprintf(stderr, "no node named %s\n", name.toUtf8().constData());
            return false;
        }
        tree.scrollTo(found);
        tree.setCurrentIndex(found);
        return true;
    }
    static QModelIndex Find(const CCategoryTreeModel& model, const QString& name,
                            const QModelIndex& below) {
        for (int r = 0; r < model.rowCount(below); ++r) {
            const QModelIndex row = model.index(r, 0, below);
            if (QStr(model.NodeAt(row)->GetName()) == name) {
                return row;
            }
            if (const QModelIndex found = Find(model, name, row); found.isValid()) {
                return found;
            }
        }
        return {};
    }

    // True once the expense dialog took the amount and closed.
    bool Expense(const QString& article, const QString& amount) {
        if (!Select(article)) {
            return false;
        }
        bool typed = false;
        OnNextModal(nullptr, [amount, &typed](QWidget& dlg) {
            QLineEdit* edit = test::AmountEdit(dlg);
            TypeOver(edit, amount);
            QTest::keyClick(edit, Qt::Key_Return);
            typed = !dlg.isVisible();
        });
        QTest::keyClick(&m_frame.TreeView(), Qt::Key_Return);
        return typed;
    }

    // True once the deposit dialog took the amount and closed.
    bool Deposit(const QString& account, const QString& amount) {
        bool typed = false;
        OnNextModal(nullptr, [account, amount, &typed](QWidget& accounts) {
            QTableWidget* list = test::AccountsTable(accounts);
            for (int row = 0; row < list->rowCount(); ++row) {
                if (list->item(row, 0)->text() == account) {
                    list->setCurrentCell(row, 0);
                }
            }
            OnNextModal(&accounts, [amount, &typed](QWidget& transfer) {
                QLineEdit* edit = test::AmountEdit(transfer);
                TypeOver(edit, amount);
                QTest::keyClick(edit, Qt::Key_Return);
                typed = !transfer.isVisible();
            });
            QTest::mouseClick(test::TransferButton(accounts), Qt::LeftButton);
            QTest::keyClick(&accounts, Qt::Key_Escape);
        });
        m_frame.DocumentCommands().AccountsAction()->trigger();
        return typed;
    }

    bool Rename(const QString& node, const QString& name) {
        CFinancesTreeView& tree = m_frame.TreeView();
        if (!Select(node)) {
            return false;
        }
        tree.Action(CFinancesTreeView::Command::Rename)->trigger(); // F2
        for (QLineEdit* edit : tree.viewport()->findChildren<QLineEdit*>()) {
            if (edit->isVisible()) {
                TypeOver(edit, name);
                QTest::keyClick(edit, Qt::Key_Return);
                QCoreApplication::processEvents(); // the editor hands its text over from the loop
                return true;
            }
        }
        std::fprintf(stderr, "no name editor opened on %s\n", node.toUtf8().constData());
        return false;
    }

    void CloseStrayBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        std::fprintf(stderr, "unexpected message: %s\n", box->text().toUtf8().constData());
        box->done(QMessageBox::Ok);
    }

    CMainFrame& m_frame;
    QSocketNotifier m_input;
    QTimer m_watch;
    QByteArray m_pending;
    std::deque<QString> m_lines;
    bool m_bRunning = false;
};

} // namespace
} // namespace tamblero

// The program's own start-up, with the peer reading its actions once the window is up.
int main(int argc, char** argv) {
    return tamblero::CTambleroApp::Run(argc, argv, [](tamblero::CTambleroApp& app) {
        new tamblero::CPeer(*app.MainFrame()); // the window owns it
        std::puts("ready");
        std::fflush(stdout);
    });
}
