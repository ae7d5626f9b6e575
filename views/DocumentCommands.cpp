#include "views/DocumentCommands.h"

#include "app/platform/Utf.h"
#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"
#include "storage/SaveGuard.h"
#include "storage/VerdalonDoc.h"
#include "views/FileDialogs.h"

#include "dialogs/AccountsDlg.h"
#include "dialogs/HistoryDlg.h"

#include <QAction>
#include <QIcon>
#include <QWidget>

#include <optional>
#include <string>

namespace tamblero {

std::u16string SaveFailureText(unsigned textId, const CVerdalonDoc& doc) {
    std::u16string text = LoadString(textId);
    if (const std::u16string why = ReasonText(doc.GetLastReason()); !why.empty()) {
        text += u"\n\n" + why;
    }
    return text;
}

AskSavePath StandardAskSavePath(QSettings* settings) {
    return
        [settings](QWidget* parent,
                   const std::filesystem::path& current) -> std::optional<std::filesystem::path> {
            const QString chosen = AskFileName(parent, settings, FileDialogKind::SaveData,
                                               QString::fromStdString(current.filename().string()));
            if (chosen.isEmpty()) {
                return std::nullopt;
            }
            return std::filesystem::path(chosen.toStdString());
        };
}

CDocumentCommands::CDocumentCommands(CVerdalonDoc& doc, IPlatform& platform, CDataFileLock& lock,
                                     QSettings* settings, QWidget* window)
    : QObject(window), m_doc(doc), m_platform(platform), m_lock(lock),
      m_askSavePath(StandardAskSavePath(settings)), m_pSettings(settings), m_pWindow(window),
      m_actSave(new QAction(QIcon(QStringLiteral(":/icons/save.svg")), QText(IDS_TIP_SAVE), this)),
      m_actHistory(new QAction(QText(IDS_MENU_HISTORY), this)),
      m_actAccounts(new QAction(QText(IDS_MENU_ACCOUNTS), this)) {
    m_actSave->setShortcut(QKeySequence::Save);
    connect(m_actSave, &QAction::triggered, this, [this] { OnFileSave(); });
    connect(m_actHistory, &QAction::triggered, this, &CDocumentCommands::OnHistory);
    connect(m_actAccounts, &QAction::triggered, this, &CDocumentCommands::OnAccounts);
    UpdateCommands();
}

void CDocumentCommands::UpdateCommands() {
    m_actSave->setEnabled(m_doc.IsModified());
}

bool CDocumentCommands::OnFileSave() {
    const bool saved = SaveOrSettle();
    if (saved) {
        TellMissedBackup();
    }
    return saved;
}

bool CDocumentCommands::SaveOrSettle() {
    switch (m_doc.Save()) {
    case SaveResult::Saved:
        return true;
    case SaveResult::Failed:
        return OfferAfterFailure();
    case SaveResult::ChangedOutside:
        // Another device's version is merged in, then saved; only one that cannot be is asked.
        if (TakeInOutside()) {
            return SaveOrSettle();
        }
        break;
    }
    const std::u16string text = LoadString(IDS_CHANGED_OUTSIDE) + u"\n" +
                                Utf16FromUtf8(m_doc.GetDataPath().string()) + u"\n\n" +
                                LoadString(IDS_CHANGED_OUTSIDE_CHOICE);
    switch (m_platform.MessageBox(text, kCaptionWarning, MsgButtons::YesNoCancel,
                                  MsgIcon::Exclamation)) {
    case MsgResult::Yes:
        return SaveElsewhere();
    case MsgResult::No:
        return m_doc.Save(OutsideChange::Overwrite) == SaveResult::Saved || OfferAfterFailure();
    default:
        return false;
    }
}

bool CDocumentCommands::OfferAfterFailure() {
    const std::u16string text =
        SaveFailureText(IDS_SAVE_FAILED, m_doc) + u"\n\n" + LoadString(IDS_SAVE_ELSEWHERE_OFFER);
    return m_platform.MessageBox(text, kCaptionError, MsgButtons::YesNo, MsgIcon::Error) ==
               MsgResult::Yes &&
           SaveElsewhere();
}

bool CDocumentCommands::SaveElsewhere() {
    for (;;) {
        const std::optional<std::filesystem::path> target =
            m_askSavePath(m_pWindow, m_doc.GetDataPath());
        if (!target) {
            return false;
        }
        std::u16string problem;
        switch (MoveDocumentTo(m_doc, m_lock, *target)) {
        case MoveResult::Moved:
            return true;
        case MoveResult::InUse:
            problem = LoadString(IDS_TARGET_IN_USE);
            break;
        case MoveResult::Failed:
            problem = SaveFailureText(IDS_SAVE_FAILED, m_doc);
            break;
        }
        m_platform.MessageBox(problem, kCaptionError, MsgButtons::Ok, MsgIcon::Error);
    }
}

void CDocumentCommands::TellMissedBackup() {
    if (const std::optional<Reason> why = m_doc.TakeMissedBackupReason()) {
        m_platform.MessageBox(LoadString(IDS_NO_BACKUP_KEPT) + u"\n\n" + ReasonText(*why),
                              kCaptionWarning, MsgButtons::Ok, MsgIcon::Exclamation);
    }
}

void CDocumentCommands::OnHistory() {
    CHistoryDlg dlg(m_doc, Today(m_platform), m_platform, m_pWindow, m_pSettings);
    dlg.exec();
}

void CDocumentCommands::OnAccounts() {
    CAccountsDlg dlg(m_doc, m_platform, m_pWindow, m_pSettings);
    dlg.exec();
}

} // namespace tamblero
