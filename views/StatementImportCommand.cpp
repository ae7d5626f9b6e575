#include "views/StatementImportCommand.h"

#include "dialogs/QtStrings.h"
#include "dialogs/RulesDlg.h"
#include "dialogs/StatementDlg.h"
#include "resources/StringTable.h"
#include "views/FileDialogs.h"

#include <QAction>
#include <QFile>
#include <QWidget>

namespace tamblero {

CImportCommand::AskFile StatementAskFile(QSettings* settings) {
    return [settings](QWidget* parent) -> std::optional<std::filesystem::path> {
        const QString file = AskFileName(parent, settings, FileDialogKind::Statement);
        if (file.isEmpty()) {
            return std::nullopt;
        }
        return std::filesystem::path(QFile::encodeName(file).toStdString());
    };
}

CStatementImportCommand::CStatementImportCommand(CVerdalonDoc& doc, IPlatform& platform,
                                                 QWidget* window)
    : QObject(window), m_doc(doc), m_platform(platform), m_pWindow(window),
      m_askFile(StatementAskFile(nullptr)),
      m_action(new QAction(QText(IDS_MENU_IMPORT_STATEMENT), this)),
      m_rulesAction(new QAction(QText(IDS_MENU_RULES), this)) {
    connect(m_action, &QAction::triggered, this, [this] { OnImport(); });
    connect(m_rulesAction, &QAction::triggered, this, [this] { OnRules(); });
}

void CStatementImportCommand::OnRules() {
    CRulesDlg dialog(m_doc, m_pWindow, m_pSettings);
    dialog.exec();
}

bool CStatementImportCommand::OnImport() {
    const std::optional<std::filesystem::path> path = m_askFile(m_pWindow);
    if (!path) {
        return false;
    }
    CStatementDlg dialog(m_doc, m_platform, *path, m_pWindow, m_pSettings);
    if (!dialog.Refusal().isEmpty()) {
        m_platform.MessageBox(U16(dialog.Refusal()), kCaptionError, MsgButtons::Ok, MsgIcon::Error);
        return false;
    }
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tamblero
