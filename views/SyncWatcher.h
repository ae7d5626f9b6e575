// Keeps the open document in step with the other devices of one ledger. It watches the data
// file's folder (a sync service replaces the file by a rename, which a watch on the file alone
// misses): a version another program put there is merged into the document, unsaved changes
// kept, and so is every conflict copy a sync service left beside it, which then moves to the
// state folder. Nothing is asked; what came in is noted and listed in "Синхронизация...".
// Only a version that cannot be merged (damaged, of a later Tamblero, no data file) is left to
// the save's question; a copy that cannot be merged stays where it is and is named once.
#pragma once

#include "app/platform/Platform.h"
#include "storage/SaveGuard.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

class QAction;
class QWidget;

namespace tamblero {

class CVerdalonDoc;
struct MergeReport;

// What the window lends the watcher.
struct SyncHooks {
    // Whether a merge must wait: something in the window holds parts of the document.
    std::function<bool()> busy;
    // Runs the merge, the window following it: the tree, the grid, the balances.
    std::function<void(const std::function<void()>& merge)> around;
    // What came in, for the status bar.
    std::function<void(const QString& note)> note;
};

class CSyncWatcher final : public QObject {
    Q_OBJECT
public:
    // A burst of writes (a temporary file, then the rename) settles this long before a look.
    static constexpr int kSettleMs = 300;
    static constexpr std::size_t kKeptRecords = 20;

    // One merge as the window lists it: when and from where, what it brought, its conflicts.
    struct Record {
        QString heading;
        QStringList lines;
    };

    CSyncWatcher(CVerdalonDoc& doc, IPlatform& platform, QWidget* window, SyncHooks hooks);

    // "Синхронизация...": the last merges.
    [[nodiscard]] QAction* Action() const { return m_action; }
    [[nodiscard]] const std::deque<Record>& Records() const { return m_records; }

    // Watches the data file's folder and looks at once: the copies already there are merged.
    void Start();
    // Merges a version of the data file another program wrote, now; true when one was merged,
    // so that a save that met it may go on. Used by the saves.
    bool TakeInOutsideVersion();
    // Watches the data file and its folder, wherever the document now keeps it.
    void Watch();

signals:
    // A merge was added to the records.
    void recorded();

private:
    void Look();
    void MergeConflictCopies();
    // Merges the copy in, the window following; false, nothing changed, where it cannot be.
    bool MergeIn(CVerdalonDoc& copy, const QString& heading, std::string& refusal);
    // Said once per copy and run.
    void TellOnce(const std::string& name, const QString& text);
    void ShowRecords();

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    QWidget* m_pWindow;
    SyncHooks m_hooks;
    QAction* m_action;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    // The outside version that cannot be merged: looked at once, then left to the save.
    std::optional<FileIdentity> m_unmergeable;
    std::set<std::string> m_told;
    // Conflict copies merged in but not yet moved (the save failed), as they were then.
    std::map<std::string, FileIdentity> m_taken;
    std::deque<Record> m_records;
    bool m_bBusy = false;
};

} // namespace tamblero
