// The document's commands in the window: save, the history and the accounts.
#pragma once

#include "app/core/Platform.h"

#include <QObject>

class QAction;
class QWidget;

namespace tamblero {

class CVerdalonDoc;

class CDocumentCommands final : public QObject {
    Q_OBJECT
public:
    CDocumentCommands(CVerdalonDoc& doc, IPlatform& platform, QWidget* window);

    [[nodiscard]] QAction* SaveAction() const { return m_actSave; }
    [[nodiscard]] QAction* HistoryAction() const { return m_actHistory; }
    [[nodiscard]] QAction* AccountsAction() const { return m_actAccounts; }

    // Save is there only while something is unsaved.
    void UpdateCommands();

    // Writes a modified document; says so in a message box when that fails.
    bool OnFileSave();
    // After a save: tells the user, once per run, that it could keep no backup.
    void TellMissedBackup();
    void OnHistory();
    void OnAccounts();

private:
    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    QWidget* m_pWindow;
    QAction* m_actSave;
    QAction* m_actHistory;
    QAction* m_actAccounts;
};

// The message for a failed save: the table's text and, below it, what the system said.
[[nodiscard]] std::u16string SaveFailureText(unsigned textId, const CVerdalonDoc& doc);

} // namespace tamblero
