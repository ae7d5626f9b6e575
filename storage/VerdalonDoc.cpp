#include "storage/VerdalonDoc.h"

#include "app/platform/Utf.h"
#include "model/DefaultStructure.h"
#include "model/DeriveIds.h"
#include "resources/StringTable.h"
#include "storage/DataFile.h"
#include "storage/FileIO.h"

#include <algorithm>
#include <ctime>
#include <new>
#include <utility>

namespace tamblero {

std::u16string UnreadableFileText(const std::filesystem::path& path, const Reason& reason) {
    return LoadString(IDS_DATA_FILE_UNREADABLE) + u"\n\n" + Utf16FromUtf8(path.string()) + u":\n" +
           ReasonText(reason);
}

CVerdalonDoc::CVerdalonDoc(IPlatform& platform)
    : m_platform(platform), m_firstDay(Today(platform)), m_lastDay(m_firstDay) {
    ResetIds();
}

void CVerdalonDoc::ResetIds() {
    m_ids = CLedgerIds{};
    m_ids.SetTimeSource([this] { return m_platform.NowMillis(); });
}

std::vector<ItemId> CVerdalonDoc::LiveIds() const {
    std::vector<ItemId> ids;
    if (m_pRoot) {
        ids.push_back(m_pRoot->m_nId);
        CExpenseIdDeriver deriver(m_notes);
        std::vector<ItemId> day;
        ForEachNode(*m_pRoot, [&](const CCategoryNode& node) {
            ids.push_back(node.m_nId);
            if (const CExpenseArticle* article = node.AsArticle()) {
                for (const auto& [dayNumber, list] : article->Days()) {
                    ExpenseIdsOf(node.m_nId, dayNumber, list.Entries(), deriver, day);
                    ids.insert(ids.end(), day.begin(), day.end());
                }
            }
        });
    }
    for (int i = 0; i < m_accounts.GetCount(); ++i) {
        ids.push_back(m_accounts.GetAt(i)->m_nId);
    }
    for (const CMovement& m : m_movements.Items()) {
        ids.push_back(m.m_nId);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool CVerdalonDoc::IdsValid() const {
    const std::vector<ItemId> live = LiveIds();
    if (std::find(live.begin(), live.end(), kNoId) != live.end() ||
        std::adjacent_find(live.begin(), live.end()) != live.end()) {
        return false;
    }
    const auto isLive = [&live](ItemId id) {
        return std::binary_search(live.begin(), live.end(), id);
    };
    for (const auto& [id, stamp] : m_ids.m_goneExpenses) {
        if (isLive(id)) {
            return false;
        }
    }
    // A node may be live and buried: a merge brought it back for an expense that needs it.
    for (const auto* list : {&m_ids.m_goneAccounts, &m_ids.m_goneMovements}) {
        for (const Tombstone& t : *list) {
            if (isLive(t.id)) {
                return false;
            }
        }
    }
    // The rules' ids: each once among the live and deleted rules, and no item's.
    std::vector<ItemId> rules;
    for (const StatementRule& rule : m_statementMemory.Rules().Rules()) {
        rules.push_back(rule.id);
    }
    for (const GoneRule& gone : m_statementMemory.GoneRules()) {
        rules.push_back(gone.last.id);
    }
    // The budgets' likewise.
    for (const Budget& budget : m_budgets.Live()) {
        rules.push_back(budget.id);
    }
    for (const GoneBudget& gone : m_budgets.Gone()) {
        rules.push_back(gone.last.id);
    }
    std::sort(rules.begin(), rules.end());
    if (std::find(rules.begin(), rules.end(), kNoId) != rules.end() ||
        std::adjacent_find(rules.begin(), rules.end()) != rules.end() ||
        std::any_of(rules.begin(), rules.end(), isLive)) {
        return false;
    }
    // The schedules' ids: the same.
    std::vector<ItemId> schedules;
    for (const Schedule& schedule : m_schedules.Items()) {
        schedules.push_back(schedule.id);
    }
    for (const GoneSchedule& gone : m_schedules.Gone()) {
        schedules.push_back(gone.last.id);
    }
    std::sort(schedules.begin(), schedules.end());
    if (std::find(schedules.begin(), schedules.end(), kNoId) != schedules.end() ||
        std::adjacent_find(schedules.begin(), schedules.end()) != schedules.end() ||
        std::any_of(schedules.begin(), schedules.end(), isLive)) {
        return false;
    }
    return m_ids.Valid();
}

void CVerdalonDoc::CompleteIds(bool expenses) {
    if (!m_pRoot) {
        return;
    }
    DeriveMissingIds(*m_pRoot, m_accounts, m_movements, m_notes);
    // Every id and stamp seen first, so this device's next id and stamp follow them.
    const auto noteNode = [this](const CCategoryNode& node) {
        m_ids.NoteSeen(node.m_nId);
        m_ids.NoteStamp(node.m_nameStamp);
        m_ids.NoteStamp(node.m_placeStamp);
    };
    noteNode(*m_pRoot);
    // The largest made id of each device, in one pass over the expenses: as many as the file.
    std::vector<ItemId> largest(m_ids.Devices().size(), kNoId);
    ForEachNode(*m_pRoot, [&](CCategoryNode& node) {
        noteNode(node);
        if (const CExpenseArticle* article = node.AsArticle(); article != nullptr && expenses) {
            for (const auto& [day, list] : article->Days()) {
                (void)day;
                for (const CExpenseEntry& e : list.Entries()) {
                    const std::uint32_t slot = SlotOf(e.m_nId);
                    if (!IsDerived(e.m_nId) && slot < largest.size()) {
                        largest[slot] = std::max(largest[slot], e.m_nId);
                    }
                }
            }
        }
    });
    for (const ItemId id : largest) {
        m_ids.NoteSeen(id);
    }
    for (int i = 0; i < m_accounts.GetCount(); ++i) {
        const CAccount& a = *m_accounts.GetAt(i);
        m_ids.NoteSeen(a.m_nId);
        for (const CStamp& s : {a.m_created, a.m_nameStamp, a.m_openingStamp}) {
            m_ids.NoteStamp(s);
        }
    }
    for (const CMovement& m : m_movements.Items()) {
        m_ids.NoteSeen(m.m_nId);
        m_ids.NoteStamp(m.m_created);
    }
    for (const auto& [id, s] : m_ids.m_expenseStamps) {
        for (const CStamp& stamp : {s.place, s.amount, s.account, s.note, s.presence}) {
            m_ids.NoteStamp(stamp);
        }
    }
    for (const auto& [id, stamp] : m_ids.m_goneExpenses) {
        m_ids.NoteSeen(id);
        m_ids.NoteStamp(stamp);
    }
    for (const auto* list : {&m_ids.m_goneNodes, &m_ids.m_goneAccounts, &m_ids.m_goneMovements}) {
        for (const Tombstone& t : *list) {
            m_ids.NoteSeen(t.id);
            m_ids.NoteStamp(t.stamp);
        }
    }
    for (const auto& [id, last] : m_ids.m_lastExpenses) {
        for (const CStamp& stamp : {last.stamps.place, last.stamps.amount, last.stamps.account,
                                    last.stamps.note, last.spentBy}) {
            m_ids.NoteStamp(stamp);
        }
    }
    for (const MovementLast& m : m_ids.m_parkedMovements) {
        m_ids.NoteSeen(m.id);
        m_ids.NoteStamp(m.created);
    }
    for (const NodeLast& n : m_ids.m_lastNodes) {
        m_ids.NoteStamp(n.nameStamp);
        m_ids.NoteStamp(n.placeStamp);
    }
    for (const AccountLast& a : m_ids.m_lastAccounts) {
        for (const CStamp& stamp : {a.created, a.nameStamp, a.openingStamp}) {
            m_ids.NoteStamp(stamp);
        }
    }
    const auto noteRule = [this](const StatementRule& rule) {
        m_ids.NoteSeen(rule.id);
        for (const CStamp& stamp :
             {rule.stamps.words, rule.stamps.article, rule.stamps.range, rule.stamps.place}) {
            m_ids.NoteStamp(stamp);
        }
    };
    for (const StatementRule& rule : m_statementMemory.Rules().Rules()) {
        noteRule(rule);
    }
    for (const GoneRule& gone : m_statementMemory.GoneRules()) {
        noteRule(gone.last);
        m_ids.NoteStamp(gone.stamp);
    }
    for (const RecordedBankId& recorded : m_statementMemory.RecordedItems()) {
        m_ids.NoteSeen(recorded.item);
    }
    for (const auto& [account, memo] : m_statementMemory.AllCsv()) {
        m_ids.NoteStamp(memo.stamp);
    }
    const auto noteBudget = [this](const Budget& budget) {
        m_ids.NoteSeen(budget.id);
        m_ids.NoteStamp(budget.stamps.plan);
        m_ids.NoteStamp(budget.stamps.carry);
    };
    for (const Budget& budget : m_budgets.Live()) {
        noteBudget(budget);
    }
    for (const GoneBudget& gone : m_budgets.Gone()) {
        noteBudget(gone.last);
        m_ids.NoteStamp(gone.stamp);
    }
    const auto noteSchedule = [this](const Schedule& schedule) {
        m_ids.NoteSeen(schedule.id);
        // The latest only: the clock then follows them all, a thousand schedules' tens of
        // thousands of marks noted at start-up.
        CStamp latest = schedule.Latest();
        for (const auto& [k, mark] : schedule.marks) {
            latest = std::max(latest, mark.stamp);
        }
        m_ids.NoteStamp(latest);
    };
    for (const Schedule& schedule : m_schedules.Items()) {
        noteSchedule(schedule);
    }
    for (const GoneSchedule& gone : m_schedules.Gone()) {
        noteSchedule(gone.last);
        m_ids.NoteStamp(gone.stamp);
    }
    m_ids.SetThisDevice(static_cast<DeviceId>(m_platform.ThisDevice()));
}

CVerdalonDoc::~CVerdalonDoc() = default;

void CVerdalonDoc::ReplaceContents(std::unique_ptr<CExpenseGroup> root, CNoteTable notes,
                                   CAccountList accounts, CMovementList movements, CLedgerIds ids,
                                   CStatementMemory memory, CBudgetBook budgets,
                                   CScheduleBook schedules, bool changed) {
    const bool modified = IsModified();
    m_pRoot = std::move(root);
    m_notes = std::move(notes);
    m_accounts = std::move(accounts);
    m_movements = std::move(movements);
    m_ids = std::move(ids);
    m_statementMemory = std::move(memory);
    m_budgets = std::move(budgets);
    m_schedules = std::move(schedules);
    m_pRoot->ForEachArticleBelow([this](const CExpenseArticle& article) {
        if (!article.Days().empty()) {
            RecordDay(article.Days().begin()->first);
            RecordDay((article.Days().end() - 1)->first);
        }
    });
    for (const CMovement& m : m_movements.Items()) {
        RecordDay(m.m_day);
    }
    CompleteIds();
    m_changes.Clear(!modified);
    m_bChangedAround = m_bChangedAround || changed;
    UpdateAllViews(nullptr);
    StateChanged();
}

void CVerdalonDoc::MarkChanged() {
    m_bChangedAround = true;
    StateChanged();
}

void CVerdalonDoc::MakeChange(std::unique_ptr<IUndoCommand> change) {
    m_changes.Push(std::move(change));
    StateChanged();
}

void CVerdalonDoc::UndoChange() {
    if (m_changes.CanUndo()) {
        m_changes.Undo();
        StateChanged();
    }
}

void CVerdalonDoc::RedoChange() {
    if (m_changes.CanRedo()) {
        m_changes.Redo();
        StateChanged();
    }
}

void CVerdalonDoc::ForgetChanges() {
    m_changes.Clear(m_changes.IsClean());
    StateChanged();
}

void CVerdalonDoc::StateChanged() const {
    if (m_stateObserver) {
        m_stateObserver();
    }
}

void CVerdalonDoc::AddView(CDocView* view) {
    m_views.push_back(view);
}

void CVerdalonDoc::RemoveView(CDocView* view) {
    std::erase(m_views, view);
}

void CVerdalonDoc::UpdateAllViews(CDocView* sender, int hint) {
    for (CDocView* view : m_views) {
        if (view != sender) {
            view->OnUpdate(sender, hint);
        }
    }
}

void CVerdalonDoc::RecordDay(DayNumber day) {
    m_lastDay = std::max(m_lastDay, day);
    m_firstDay = std::min(m_firstDay, day);
}

bool CVerdalonDoc::Load(std::span<const std::uint8_t> bytes, std::string& error) {
    ReadResult result = ReadDataFile(bytes, m_accounts);
    if (!result.data) {
        error = result.error;
        return false;
    }
    Install(*result.data);
    return true;
}

FileLoad CVerdalonDoc::LoadFile(const std::filesystem::path& path, Reason& error) {
    ReadResult result;
    try {
        switch (ReadDataFile(path, m_accounts, result, error)) {
        case FileRead::Missing:
            return FileLoad::Missing;
        case FileRead::Refused:
        case FileRead::TooLarge:
            return FileLoad::Refused;
        case FileRead::Done:
            break;
        }
        if (!result.data) {
            error = {std::move(result.error), IDS_DATA_FILE_DAMAGED, {}, {}};
            return FileLoad::Damaged;
        }
        Install(*result.data);
    } catch (const std::bad_alloc&) {
        error = {"not enough memory to read the file", IDS_REASON_NO_MEMORY, {}, {}};
        return FileLoad::Refused;
    }
    return FileLoad::Loaded;
}

void CVerdalonDoc::Install(LoadedData& data) {
    ResetIds();
    // The file's table first, so that the slots in the ids read name the same devices.
    LedgerRecords& records = data.extension.records;
    for (const DeviceId device : records.devices) {
        (void)m_ids.SlotFor(device);
    }
    m_ids.m_expenseStamps = std::move(records.expenseStamps);
    m_ids.m_goneExpenses = std::move(records.goneExpenses);
    m_ids.m_goneNodes = std::move(records.goneNodes);
    m_ids.m_goneAccounts = std::move(records.goneAccounts);
    m_ids.m_goneMovements = std::move(records.goneMovements);
    if (data.extension.remembered) {
        ApplyRecords(*data.extension.remembered, m_ids);
    }
    m_statementMemory = data.extension.memory ? ApplyMemorySection(*data.extension.memory, m_ids)
                                              : CStatementMemory{};
    if (data.extension.bankItems) {
        ApplyBankItemsSection(*data.extension.bankItems, m_ids, m_statementMemory);
    }
    if (data.extension.csv) {
        ApplyCsvSection(*data.extension.csv, m_ids, m_statementMemory);
    }
    m_budgets =
        data.extension.budgets ? ApplyBudgetSection(*data.extension.budgets, m_ids) : CBudgetBook{};
    m_schedules = data.extension.schedules ? ApplyScheduleSection(*data.extension.schedules, m_ids)
                                           : CScheduleBook{};
    m_pRoot = std::move(data.root);
    m_notes = std::move(data.extension.notes);
    m_keptSections = std::move(data.extension.kept);
    m_movements.Append(std::move(data.extension.movements));
    m_accounts.AppendAll(std::move(data.accounts));
    if (data.version < 2) {
        m_pRoot->ResolveLegacyIds(m_accounts);
    }
    if (data.days) {
        RecordDay(data.days->first);
        RecordDay(data.days->last);
    }
    for (const ItemId id : records.largestExpenseIds) {
        m_ids.NoteSeen(id);
    }
    CompleteIds(false);
    m_bChangedAround = false;
    m_changes.Clear(true);
    StateChanged();
}

std::vector<std::uint8_t> CVerdalonDoc::Store() const {
    return m_pRoot
               ? WriteDataFile(m_accounts, *m_pRoot, m_notes, m_movements.Items(), m_keptSections,
                               &m_ids, &m_statementMemory, &m_budgets, &m_schedules)
               : std::vector<std::uint8_t>{};
}

void CVerdalonDoc::DeleteContents() {
    m_pRoot.reset();
    m_notes = {};
    m_keptSections.clear();
    // The rules name its articles and the bank ids its accounts' imports.
    m_statementMemory = {};
    // The budgets name its nodes.
    m_budgets = {};
    m_schedules = {};
}

bool CVerdalonDoc::OnNewDocument(const std::optional<std::filesystem::path>& namedPath) {
    DeleteContents();
    // The changes of another tree cannot be undone on this one.
    m_bChangedAround = false;
    m_changes.Clear(true);
    StateChanged();
    m_strDataPath = ChooseDataPath(m_platform, namedPath);
    if (m_strDataPath.empty()) {
        m_lastReason = {kNoHomeReason, IDS_NO_HOME, {}, {}};
        m_platform.MessageBox(LoadString(IDS_NO_HOME), kCaptionError, MsgButtons::Ok,
                              MsgIcon::Error);
        return false;
    }
    Reason error;
    // Links are followed once, here: every save, backup and set-aside goes beside the real
    // file and the link stays.
    std::filesystem::path real;
    if (!ResolveDataPath(m_strDataPath, real, error)) {
        return RefuseDataFile(error);
    }
    m_strDataPath = real;
    // Taken before reading: a change that lands during the read then shows at the save.
    m_diskIdentity = IdentityOf(m_strDataPath);
    switch (LoadFile(m_strDataPath, error)) {
    case FileLoad::Missing:
        m_pRoot = std::make_unique<CExpenseGroup>(LoadString(IDS_ROOT_NAME), nullptr);
        ResetIds();
        CompleteIds();
        OfferDefaultStructure();
        // The first-run offer is where this run starts, not a change to take back.
        ForgetChanges();
        return true;
    case FileLoad::Refused:
        // Nothing says the bytes are bad, so nothing is called damaged or set aside.
        return RefuseDataFile(error);
    case FileLoad::Loaded:
        return true;
    case FileLoad::Damaged:
        break;
    }
    // Keep the file for the user; the first save puts it aside instead of over it.
    m_lastReason = std::move(error);
    m_bDamagedFile = true;
    m_pRoot = std::make_unique<CExpenseGroup>(LoadString(IDS_ROOT_NAME), nullptr);
    ResetIds();
    CompleteIds();
    m_platform.MessageBox(LoadString(IDS_DATA_FILE_DAMAGED), kCaptionError, MsgButtons::Ok,
                          MsgIcon::Error);
    ForgetChanges();
    return true;
}

bool CVerdalonDoc::RefuseDataFile(const Reason& reason) {
    m_lastReason = reason;
    m_platform.MessageBox(UnreadableFileText(m_strDataPath, reason), kCaptionError, MsgButtons::Ok,
                          MsgIcon::Error);
    return false;
}

void CVerdalonDoc::OfferDefaultStructure() {
    if (m_platform.MessageBox(LoadString(IDS_FIRST_RUN), kCaptionInfo, MsgButtons::YesNo,
                              MsgIcon::Question) != MsgResult::Yes) {
        return;
    }
    ParseStructure(*m_pRoot, LoadString(IDS_DEFAULT_STRUCTURE));
    // No change to take back, as the run starts here, but one to write at the first save.
    MarkChanged();
    m_accounts.CreateAccount(&LoadString(IDS_CASH));
    // Derived from the structure's names, so two devices that both start afresh share them.
    CompleteIds();
    m_platform.MessageBox(LoadString(IDS_ENTER_CASH), kCaptionInfo, MsgButtons::Ok,
                          MsgIcon::Information);
    if (m_firstDepositStep) {
        m_firstDepositStep();
    }
}

void CVerdalonDoc::SetDataPath(std::filesystem::path path) {
    m_strDataPath = std::move(path);
    m_diskIdentity = IdentityOf(m_strDataPath);
}

bool CVerdalonDoc::ChangedOnDisk() const {
    const std::optional<FileIdentity> now = IdentityOf(m_strDataPath);
    return now && now != m_diskIdentity;
}

void CVerdalonDoc::TookInDiskVersion(const FileIdentity& identity, bool same) {
    m_diskIdentity = identity;
    if (same) {
        m_changes.SetClean();
        m_bChangedAround = false;
    }
    StateChanged();
}

SaveResult CVerdalonDoc::Save(OutsideChange outside) {
    if (!IsModified()) {
        return SaveResult::Saved;
    }
    const bool keep = outside == OutsideChange::Keep;
    // Asked before anything is written or set aside, and again just before the rename.
    bool changed = keep && ChangedOnDisk();
    const auto mayReplace = [&] {
        changed = keep && ChangedOnDisk();
        return !changed;
    };
    if (!changed && Write(m_strDataPath, mayReplace, !keep)) {
        return SaveResult::Saved;
    }
    if (changed) {
        m_lastReason = {
            "the data file was changed by another program", IDS_REASON_CHANGED_OUTSIDE, {}, {}};
        return SaveResult::ChangedOutside;
    }
    return SaveResult::Failed;
}

bool CVerdalonDoc::SaveAs(const std::filesystem::path& chosen) {
    // Links are followed as at start: the data and the backup go beside the real file, the
    // link stays, and the current file under another spelling is recognised as such.
    std::filesystem::path path;
    if (!ResolveDataPath(chosen, path, m_lastReason) || !Write(path, {})) {
        return false;
    }
    if (path != m_strDataPath) {
        // A damaged file left at the old place is no longer this document's to set aside.
        m_bDamagedFile = false;
        SetDataPath(path);
    }
    return true;
}

bool CVerdalonDoc::SetDamagedFileAside() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::filesystem::path aside = m_strDataPath.string() + ".damaged-" + stamp;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(aside, ec); ++n) {
        aside = m_strDataPath.string() + ".damaged-" + stamp + "-" + std::to_string(n);
    }
    std::filesystem::rename(m_strDataPath, aside, ec);
    std::error_code probe;
    if (ec && std::filesystem::exists(m_strDataPath, probe)) {
        m_lastReason = {"cannot set the damaged data file aside: " + ec.message(),
                        IDS_REASON_CANNOT_SET_ASIDE,
                        {},
                        ec.message()};
        return false;
    }
    m_setAsidePath = aside;
    m_bDamagedFile = false;
    return true;
}

bool CVerdalonDoc::DoSave(const std::filesystem::path& path) {
    return Write(path, {});
}

bool CVerdalonDoc::Write(const std::filesystem::path& path, const std::function<bool()>& mayReplace,
                         bool overwriting) {
    // Without a tree there is nothing to write, and an empty file would replace the data.
    if (!m_pRoot) {
        m_lastReason = {"there is no tree to save", IDS_REASON_NO_TREE, {}, {}};
        return false;
    }
    // Refused before anything is touched: the file would lose these entries' accounts.
    if (const std::size_t lost = CountUnwritableAccountRefs(m_accounts, *m_pRoot); lost > 0) {
        const std::string count = std::to_string(lost);
        m_lastReason = {Utf8FromUtf16(FormatString(IDS_ACCOUNT_REFS_LOST, {Utf16FromUtf8(count)})),
                        IDS_ACCOUNT_REFS_LOST,
                        count,
                        {}};
        return false;
    }
    if (m_bDamagedFile && path == m_strDataPath && !SetDamagedFileAside()) {
        return false;
    }
    const std::vector<std::uint8_t> bytes = Store();
    SaveOptions options;
    options.sync = m_bSyncOnSave;
    options.calls = m_pSaveCalls;
    options.mayReplace = mayReplace;
    // Frequent saves would otherwise leave in ".bak" only the state of a moment ago.
    options.keepBackup = overwriting || path != m_backedUpPath;
    Reason missedBackup;
    if (!ReplaceFile(path, bytes, options, m_lastReason, &missedBackup)) {
        return false;
    }
    // Settled by the first save of the run over this path, even one that found no file to
    // keep: a later save would otherwise put this run's own file over the last run's ".bak".
    m_backedUpPath = path;
    if (!missedBackup.english.empty() && !m_bMissedBackupTold) {
        m_missedBackup = std::move(missedBackup);
    }
    if (path == m_strDataPath) {
        m_diskIdentity = IdentityOf(path);
    }
    // Whoever asked for the save: undoing back to here finds the document unmodified.
    m_changes.SetClean();
    m_bChangedAround = false;
    StateChanged();
    return true;
}

std::optional<std::string> CVerdalonDoc::TakeMissedBackup() {
    std::optional<Reason> missed = TakeMissedBackupReason();
    return missed ? std::optional<std::string>(std::move(missed->english)) : std::nullopt;
}

std::optional<Reason> CVerdalonDoc::TakeMissedBackupReason() {
    if (m_missedBackup.english.empty()) {
        return std::nullopt;
    }
    m_bMissedBackupTold = true;
    return std::exchange(m_missedBackup, {});
}

} // namespace tamblero
