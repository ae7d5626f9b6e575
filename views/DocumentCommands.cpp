#include "views/DocumentCommands.h"

#include "app/core/Utf.h"
#include "app/qt/QtPlatform.h"
#include "resources/StringTable.h"
#include "storage/VerdalonDoc.h"

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
    if (!doc.GetLastError().empty()) {
        text += u"\n\n" + Utf16FromUtf8(doc.GetLastError());
    }
    return text;
}

CDocumentCommands::CDocumentCommands(CVerdalonDoc& doc, IPlatform& platform, QWidget* window)
    : QObject(window), m_doc(doc), m_platform(platform), m_pWindow(window),
      m_actSave(new QAction(QIcon(QStringLiteral(":/icons/save.svg")),
                            QStr(LoadString(IDS_TIP_SAVE)), this)),
      m_actHistory(new QAction(QStr(LoadString(IDS_MENU_HISTORY)), this)),
      m_actAccounts(new QAction(QStr(LoadString(IDS_MENU_ACCOUNTS)), this)) {
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
    if (m_doc.SaveModified()) {
        TellMissedBackup();
        return true;
    }
    m_platform.MessageBox(SaveFailureText(IDS_SAVE_FAILED, m_doc), kCaptionError, MsgButtons::Ok,
                          MsgIcon::Error);
    return false;
}

void CDocumentCommands::TellMissedBackup() {
    if (const std::optional<std::string> why = m_doc.TakeMissedBackup()) {
        m_platform.MessageBox(LoadString(IDS_NO_BACKUP_KEPT) + u"\n\n" + Utf16FromUtf8(*why),
                              kCaptionWarning, MsgButtons::Ok, MsgIcon::Exclamation);
    }
}

void CDocumentCommands::OnHistory() {
    CHistoryDlg dlg(m_doc, Today(m_platform), m_platform, m_pWindow);
    dlg.exec();
}

void CDocumentCommands::OnAccounts() {
    CAccountsDlg dlg(m_doc, m_platform, m_pWindow);
    dlg.exec();
}

} // namespace tamblero
