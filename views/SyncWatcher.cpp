#include "views/SyncWatcher.h"

#include "app/core/MergedCopies.h"
#include "app/platform/Utf.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/QtStrings.h"
#include "merge/Merge.h"
#include "resources/StringTable.h"
#include "storage/DeviceFile.h"
#include "storage/VerdalonDoc.h"
#include "sync/ConflictCopies.h"
#include "views/SyncDlg.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QWidget>

#include <system_error>
#include <utility>
#include <vector>

namespace tamblero {

namespace fs = std::filesystem;

namespace {

QString FileText(const fs::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

QString Now() {
    return QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

unsigned TroubleText(CopyTrouble trouble) {
    switch (trouble) {
    case CopyTrouble::NotDataFile:
        return IDS_SYNC_WHY_NOT_DATA;
    case CopyTrouble::Later:
        return IDS_SYNC_WHY_LATER;
    case CopyTrouble::Damaged:
        return IDS_SYNC_WHY_DAMAGED;
    case CopyTrouble::None:
    case CopyTrouble::Unreadable:
        break;
    }
    return IDS_SYNC_WHY_UNREADABLE;
}

} // namespace

CSyncWatcher::CSyncWatcher(CVerdalonDoc& doc, IPlatform& platform, QWidget* window, SyncHooks hooks)
    : QObject(window), m_doc(doc), m_platform(platform), m_pWindow(window),
      m_hooks(std::move(hooks)), m_action(new QAction(QText(IDS_MENU_SYNC), this)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &CSyncWatcher::Look);
    // Every event restarts the wait: the look comes once the burst is over.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle,
            qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(m_action, &QAction::triggered, this, &CSyncWatcher::ShowRecords);
}

void CSyncWatcher::Start() {
    if (const fs::path state = UserStateFolder(m_platform); !state.empty()) {
        RemoveExpiredCopies(state / "merged", fs::file_time_type::clock::now() - kKeepMergedCopies);
    }
    Watch();
    m_settle.start();
}

void CSyncWatcher::Watch() {
    // A replaced file is another file: its watch ends with the old one and is made again here.
    // The folder's watch sees the rename and the copies arriving.
    const fs::path& path = m_doc.GetDataPath();
    if (path.empty()) {
        return;
    }
    const QString folder = FileText(path.has_parent_path() ? path.parent_path() : ".");
    if (!m_watcher.directories().contains(folder)) {
        if (!m_watcher.directories().isEmpty()) {
            m_watcher.removePaths(m_watcher.directories());
        }
        m_watcher.addPath(folder);
    }
    const QString file = FileText(path);
    if (!m_watcher.files().contains(file)) {
        if (!m_watcher.files().isEmpty()) {
            m_watcher.removePaths(m_watcher.files());
        }
        if (std::error_code ec; fs::exists(path, ec)) {
            m_watcher.addPath(file);
        }
    }
}

void CSyncWatcher::Look() {
    // A dialog that cannot follow a merge, or an edit in the window, holds parts of the
    // document: the merge waits for it to end, looking again soon after.
    if (m_bBusy || ModalWindowHoldsDocument() || (m_hooks.busy && m_hooks.busy())) {
        m_settle.start();
        return;
    }
    Watch();
    TakeInOutsideVersion();
    MergeConflictCopies();
}

bool CSyncWatcher::TakeInOutsideVersion() {
    const fs::path path = m_doc.GetDataPath();
    const std::optional<FileIdentity> before = IdentityOf(path);
    // A file removed is written again at the next save; our own writes are no news. An open
    // dialog may hold what a merge would take away: the save then asks, as it always did.
    if (m_bBusy || ModalWindowHoldsDocument() || !before || !m_doc.ChangedOnDisk() ||
        before == m_unmergeable) {
        return false;
    }
    CVerdalonDoc copy(m_platform);
    std::string why;
    const CopyTrouble trouble = LoadCopy(copy, path, why);
    if (IdentityOf(path) != before) {
        m_settle.start(); // still being written: read again once it settles
        return false;
    }
    if (trouble != CopyTrouble::None || !MergeIn(copy, QText(IDS_SYNC_FROM_FILE).arg(Now()), why)) {
        m_unmergeable = before;
        return false;
    }
    // When the file already holds everything the document does, there is nothing to save.
    MergeReport back;
    MergeRefusal refusal;
    const bool same = MergeInto(copy, m_doc, back, refusal) && !back.ChangesOurs();
    m_doc.TookInDiskVersion(*before, same);
    return true;
}

void CSyncWatcher::MergeConflictCopies() {
    const fs::path path = m_doc.GetDataPath();
    if (path.empty()) {
        return;
    }
    const fs::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string error;
    const std::optional<std::vector<std::string>> names = RegularFileNamesIn(folder, error);
    if (!names) {
        return;
    }
    std::vector<fs::path> merged;
    for (const ConflictCopy& found : FindConflictCopies(path.filename().string(), *names)) {
        const fs::path copyPath = folder / found.name;
        if (std::error_code ec; fs::equivalent(copyPath, path, ec) || m_told.contains(found.name)) {
            continue;
        }
        // Merged at an earlier look and still waiting to move: merged once is enough.
        const std::optional<FileIdentity> identity = IdentityOf(copyPath);
        if (const auto taken = m_taken.find(found.name);
            taken != m_taken.end() && taken->second == identity) {
            merged.push_back(copyPath);
            continue;
        }
        CVerdalonDoc copy(m_platform);
        std::string why;
        const CopyTrouble trouble = LoadCopy(copy, copyPath, why);
        const QString name = FileText(found.name);
        const QString heading =
            QText(IDS_SYNC_FROM_COPY)
                .arg(Now(), name, QString::fromUtf8(SyncServiceName(found.service)));
        if (trouble != CopyTrouble::None) {
            TellOnce(found.name,
                     QText(IDS_SYNC_COPY_REFUSED).arg(name, QText(TroubleText(trouble))));
        } else if (!MergeIn(copy, heading, why)) {
            TellOnce(
                found.name,
                QText(IDS_SYNC_COPY_REFUSED)
                    .arg(name, QText(IDS_SYNC_WHY_TOO_LARGE).arg(QString::fromStdString(why))));
        } else if (identity) {
            m_taken[found.name] = *identity;
            merged.push_back(copyPath);
        }
    }
    // The copies go only once what they held is safe in the data file; until then they wait
    // beside it.
    const fs::path state = UserStateFolder(m_platform);
    if (merged.empty() || state.empty() || m_doc.Save() != SaveResult::Saved) {
        return;
    }
    std::error_code ec;
    fs::create_directories(state / "merged", ec);
    for (const fs::path& copyPath : merged) {
        const std::string name = copyPath.filename().string();
        m_taken.erase(name);
        if (!KeepMergedCopy(copyPath, state / "merged", error)) {
            TellOnce(name,
                     QText(IDS_SYNC_NOT_MOVED).arg(FileText(name), QString::fromStdString(error)));
        }
    }
}

bool CSyncWatcher::MergeIn(CVerdalonDoc& copy, const QString& heading, std::string& refusal) {
    MergeReport report;
    MergeRefusal why;
    bool merged = false;
    m_bBusy = true;
    const auto merge = [&] { merged = MergeInto(m_doc, copy, report, why); };
    if (m_hooks.around) {
        m_hooks.around(merge);
    } else {
        merge();
    }
    m_bBusy = false;
    if (!merged) {
        refusal = why.english;
        return false;
    }
    const QString summary = MergeSummary(report);
    m_records.push_back({heading, QStringList{summary} + ConflictLines(report)});
    while (m_records.size() > kKeptRecords) {
        m_records.pop_front();
    }
    emit recorded();
    if (m_hooks.note) {
        m_hooks.note(QText(IDS_SYNC_NOTE).arg(summary));
    }
    return true;
}

void CSyncWatcher::TellOnce(const std::string& name, const QString& text) {
    if (!m_told.insert(name).second) {
        return;
    }
    m_bBusy = true; // the box's own event loop may run a look meanwhile
    m_platform.MessageBox(U16(text), kCaptionWarning, MsgButtons::Ok, MsgIcon::Exclamation);
    m_bBusy = false;
}

void CSyncWatcher::ShowRecords() {
    CSyncDlg dlg(m_records, m_pWindow);
    // The list holds no part of the document: it lets a merge run and shows it.
    new CMergeFollower(m_doc, dlg, {});
    connect(this, &CSyncWatcher::recorded, &dlg, &CSyncDlg::Refill);
    dlg.exec();
}

} // namespace tamblero
