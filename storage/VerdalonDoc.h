// The one document: the category tree, the accounts, the span of recorded days, the
// changes made to them and the data file they are read from and written to.
#pragma once

#include "app/platform/Platform.h"
#include "budget/Budgets.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "model/Identity.h"
#include "model/Movements.h"
#include "model/Notes.h"
#include "model/UndoStack.h"
#include "period/Period.h"
#include "schedule/Schedule.h"
#include "statement/StatementMemory.h"
#include "storage/DataLocation.h"
#include "storage/ExtensionBlock.h"
#include "storage/Reason.h"
#include "storage/SaveGuard.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tamblero {

class ISaveCalls;    // storage/FileIO.h
struct LoadedData;   // storage/DataFile.h
class ITreeObserver; // app/core/TreeCommands.h

// A pane that shows the document and repaints when told.
class CDocView {
public:
    virtual ~CDocView() = default;
    virtual void OnUpdate(CDocView* sender, int hint) = 0;
};

// What a save of the data file came to.
enum class SaveResult {
    Saved,          // on disk, or there was nothing to save
    ChangedOutside, // another program replaced or changed the file: left as it is
    Failed          // the write failed; the old file is as it was
};
// Whether a save may overwrite a data file changed from outside: only on the user's word.
enum class OutsideChange { Keep, Overwrite };

// How reading a data file from disk went (CVerdalonDoc::LoadFile).
enum class FileLoad {
    Loaded,
    Missing, // no file of that name
    Refused, // it cannot be read at all, which says nothing of its bytes
    Damaged  // its bytes are no data file this program can read
};

// The message for a data file the program cannot start on, with the system's reason.
[[nodiscard]] std::u16string UnreadableFileText(const std::filesystem::path& path,
                                                const Reason& reason);

class CVerdalonDoc {
public:
    // The day span starts as today at both ends.
    explicit CVerdalonDoc(IPlatform& platform);
    virtual ~CVerdalonDoc();
    CVerdalonDoc(const CVerdalonDoc&) = delete;
    CVerdalonDoc& operator=(const CVerdalonDoc&) = delete;

    // Whether the document differs from its data file: the undo stack stands elsewhere than
    // at the last save, or a change was made around it since (MarkChanged).
    [[nodiscard]] bool IsModified() const { return m_bChangedAround || !m_changes.IsClean(); }
    // A change the undo stack does not hold, such as an import or the first-run offer: the
    // document is modified until the next save.
    void MarkChanged();
    // Told after anything that may change IsModified or the undo stack: a change made, undone,
    // redone or forgotten, a save, a read. The window's one observer, replaced by the next.
    void SetStateObserver(std::function<void()> observer) { m_stateObserver = std::move(observer); }

    // The changes of this run, for Undo and Redo; cleared when a data file is read.
    [[nodiscard]] const CUndoStack& Changes() const { return m_changes; }
    // Makes the change (its Redo) and records it, so that Undo can take it back.
    void MakeChange(std::unique_ptr<IUndoCommand> change);
    // Takes back the last change, or makes the last one taken back again: the document is
    // unmodified again where that reaches the state of the last save.
    void UndoChange();
    void RedoChange();
    // Forgets every change: for a change that cannot be undone.
    void ForgetChanges();

    // Told in place of every change to the tree's structure and names, and of their undoing;
    // the pane that shows the tree sets it and clears it before it goes. Null: nobody.
    void SetTreeObserver(ITreeObserver* observer) { m_pTreeObserver = observer; }
    [[nodiscard]] ITreeObserver* TreeObserver() const { return m_pTreeObserver; }

    void AddView(CDocView* view);
    void RemoveView(CDocView* view);
    // Every view but the sender gets OnUpdate.
    void UpdateAllViews(CDocView* sender, int hint = 0);

    [[nodiscard]] CExpenseGroup* GetRoot() const { return m_pRoot.get(); }
    [[nodiscard]] CAccountList& Accounts() { return m_accounts; }
    [[nodiscard]] const CAccountList& Accounts() const { return m_accounts; }
    // The notes the tree's entries name; replaced with the tree.
    [[nodiscard]] CNoteTable& Notes() { return m_notes; }
    [[nodiscard]] const CNoteTable& Notes() const { return m_notes; }

    // The lasting identities beyond the items' own: devices, clock, stamps, deletions.
    [[nodiscard]] CLedgerIds& Ids() { return m_ids; }
    [[nodiscard]] const CLedgerIds& Ids() const { return m_ids; }
    // Gives what has no id its derived one (DeriveMissingIds) and resumes the clock and the
    // sequence of this device after every id and stamp the document holds: after a read, a
    // merge or a new tree.
    // A read passes expenses = false: it tells the largest made expense ids itself (a file
    // without the section, or with one of another tree, holds none).
    void CompleteIds(bool expenses = true);
    // Every live item's id, sorted: nodes, accounts, movements and expenses together.
    [[nodiscard]] std::vector<ItemId> LiveIds() const;
    // Whether every item has an id, no two the same, none of them among the deletion records,
    // and the ledger's own tables hold together (CLedgerIds::Valid). For tests and checks.
    [[nodiscard]] bool IdsValid() const;

    // Takes over the whole content a merge made: tree, notes, accounts, movements, the import
    // memory, the budgets, the schedules and ids (with this document's clock and device). The data
    // file and its kept sections stay, the day span widens to the new days, and the changes of the
    // undo stack,
    // made on what is gone, are forgotten; the document is modified where it was or `changed`
    // says so.
    void ReplaceContents(std::unique_ptr<CExpenseGroup> root, CNoteTable notes,
                         CAccountList accounts, CMovementList movements, CLedgerIds ids,
                         CStatementMemory memory, CBudgetBook budgets, CScheduleBook schedules,
                         bool changed);

    // The deposits and transfers recorded; they go with the accounts, not the tree.
    [[nodiscard]] CMovementList& Movements() { return m_movements; }
    [[nodiscard]] const CMovementList& Movements() const { return m_movements; }
    // The import rules and the bank ids already imported.
    [[nodiscard]] CStatementMemory& StatementMemory() { return m_statementMemory; }
    [[nodiscard]] const CStatementMemory& StatementMemory() const { return m_statementMemory; }
    // The budgets of groups and articles; changed by budget/BudgetChanges' commands alone.
    [[nodiscard]] CBudgetBook& Budgets() { return m_budgets; }
    [[nodiscard]] const CBudgetBook& Budgets() const { return m_budgets; }
    // The scheduled expenses and what became of their occurrences.
    [[nodiscard]] CScheduleBook& Schedules() { return m_schedules; }
    [[nodiscard]] const CScheduleBook& Schedules() const { return m_schedules; }
    void RecordDay(DayNumber day);
    [[nodiscard]] DaySpan GetDaySpan() const { return {m_firstDay, m_lastDay}; }

    // Reads a whole data file into the document: on success the tree is replaced, the
    // file's accounts appended and the day span widened; on failure nothing changes.
    bool Load(std::span<const std::uint8_t> bytes, std::string& error);
    // The same for the data file at the path, as the start reads it, saying nothing to the
    // user: the error says why it was refused, its English why it is damaged. Faster than
    // reading the bytes first: the notes' text goes from the file to its table alone.
    FileLoad LoadFile(const std::filesystem::path& path, Reason& error);
    // The whole document as a version-2 data file.
    [[nodiscard]] std::vector<std::uint8_t> Store() const;

    // Destroys the tree with its notes, the import memory, the budgets and the schedules. Accounts
    // and the day span stay.
    void DeleteContents();
    // Finds the data file (through any links) and reads it, or starts a fresh root with the
    // first-run offer. A file whose bytes cannot be read is reported and set aside at the
    // first save, never overwritten. A file that cannot be read at all (no permission, a
    // folder, a pipe, a link to nothing, too large) is reported and answers false: the
    // program must not start on it.
    bool OnNewDocument(const std::optional<std::filesystem::path>& namedPath = std::nullopt);
    // The first-run offer: the built-in structure, the cash account and its first deposit.
    void OfferDefaultStructure();
    // The deposit step of the first-run offer: the window's dialog; none by default.
    void SetFirstDepositStep(std::function<void()> step) { m_firstDepositStep = std::move(step); }
    // Writes a modified document over its data file; the flag stays when that fails or
    // would drop an entry's account. Only the first save of a run over a file keeps the
    // file it replaces as ".bak", so that the backup is the file as it was at start; an
    // overwrite of another program's version always keeps that version there. A
    // data file another program replaced or changed since it was read or last saved is
    // kept, and with it its backup, unless the user said to overwrite it; a removed one is
    // simply written again, as nothing of another program's can be lost there.
    SaveResult Save(OutsideChange outside = OutsideChange::Keep);
    // A checked save that settles nothing with the user: true when nothing unsaved remains.
    bool SaveModified() { return Save() == SaveResult::Saved; }
    // Writes the document to the path whatever is there now; Save is the checked way.
    bool DoSave(const std::filesystem::path& path);
    // Writes the document to another file and goes on with that one.
    bool SaveAs(const std::filesystem::path& path);

    [[nodiscard]] const std::filesystem::path& GetDataPath() const { return m_strDataPath; }
    // The document belongs to that file from now on, as the file is now.
    void SetDataPath(std::filesystem::path path);
    // Whether the file at the data path is not the one this document read or last wrote.
    [[nodiscard]] bool ChangedOnDisk() const;
    // The version of the data file with that identity is in the document now (merged in), so
    // saves compare with it; when `same` says the document holds nothing more, it is unmodified.
    void TookInDiskVersion(const FileIdentity& identity, bool same);
    // Why the last save or read failed, in UTF-8, as the command line says it: the system's
    // reason, or the program's own rule.
    [[nodiscard]] const std::string& GetLastError() const { return m_lastReason.english; }
    // The same for the window (ReasonText).
    [[nodiscard]] const Reason& GetLastReason() const { return m_lastReason; }
    // Where a damaged data file was put aside, once it was.
    [[nodiscard]] const std::filesystem::path& GetSetAsidePath() const { return m_setAsidePath; }
    [[nodiscard]] bool HasDamagedFile() const { return m_bDamagedFile; }
    // Why a save kept no ".bak", the first time that happens in this run; never again after,
    // so that the user is told once. In English, or for the window.
    [[nodiscard]] std::optional<std::string> TakeMissedBackup();
    [[nodiscard]] std::optional<Reason> TakeMissedBackupReason();

    // Leaves out fsync, for benchmarks and the crash test's speed; never in the program.
    bool m_bSyncOnSave = true;
    // The save's system calls, the system's own when null; tests put theirs in between.
    ISaveCalls* m_pSaveCalls = nullptr;

private:
    void Install(LoadedData& data);
    void ResetIds();
    bool SetDamagedFileAside();
    bool RefuseDataFile(const Reason& reason);
    bool Write(const std::filesystem::path& path, const std::function<bool()>& mayReplace,
               bool overwriting = false);
    void StateChanged() const;

    IPlatform& m_platform;
    std::filesystem::path m_strDataPath;
    // The data file as read or last written; nullopt while there is none.
    std::optional<FileIdentity> m_diskIdentity;
    std::unique_ptr<CExpenseGroup> m_pRoot;
    DayNumber m_firstDay;
    DayNumber m_lastDay;
    CAccountList m_accounts;
    CNoteTable m_notes;
    CMovementList m_movements;
    CStatementMemory m_statementMemory;
    CBudgetBook m_budgets;
    CScheduleBook m_schedules;
    CLedgerIds m_ids;
    // The extension block's sections of a later program, written back as they were read.
    std::vector<KeptSection> m_keptSections;
    bool m_bChangedAround = false; // by MarkChanged since the last save or read
    bool m_bDamagedFile = false;
    std::filesystem::path m_setAsidePath;
    Reason m_lastReason;
    Reason m_missedBackup;
    bool m_bMissedBackupTold = false;
    // The file whose ".bak" this run has already made; later saves over it keep that one.
    std::filesystem::path m_backedUpPath;
    std::vector<CDocView*> m_views;
    CUndoStack m_changes;
    std::function<void()> m_stateObserver;
    ITreeObserver* m_pTreeObserver = nullptr;
    std::function<void()> m_firstDepositStep;
};

} // namespace tamblero
