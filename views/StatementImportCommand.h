// "Импорт выписки...": a bank's statement picked in a file dialog and looked over in its
// preview, which records it as one change; and "Правила...", the rules that give its rows
// their articles.
#pragma once

#include "views/ImportCommand.h"

#include <QObject>

#include <functional>

class QAction;
class QWidget;

namespace tamblero {

class CVerdalonDoc;
class IPlatform;

class CStatementImportCommand final : public QObject {
    Q_OBJECT
public:
    CStatementImportCommand(CVerdalonDoc& doc, IPlatform& platform, QWidget* window);

    [[nodiscard]] QAction* Action() const { return m_action; }
    [[nodiscard]] QAction* RulesAction() const { return m_rulesAction; }
    void SetAskFile(CImportCommand::AskFile askFile) { m_askFile = std::move(askFile); }
    // Where the preview keeps the size the user gave it; none by default.
    void SetSettings(QSettings* settings) { m_pSettings = settings; }

    // Answers whether rows were recorded.
    bool OnImport();
    void OnRules();

private:
    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    QWidget* m_pWindow;
    CImportCommand::AskFile m_askFile;
    QSettings* m_pSettings = nullptr;
    QAction* m_action;
    QAction* m_rulesAction;
};

// The program's own file dialog for statements, remembering its folder in the settings.
[[nodiscard]] CImportCommand::AskFile StatementAskFile(QSettings* settings);

} // namespace tamblero
