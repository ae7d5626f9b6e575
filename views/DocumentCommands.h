// The document's commands in the window: save, the history and the accounts.
#pragma once

#include "app/platform/Platform.h"

#include <QObject>

#include <filesystem>
#include <functional>
#include <optional>

class QAction;
class QSettings;
class QWidget;

namespace tamblero {

class CDataFileLock;
class CVerdalonDoc;

// Asks for a file to save the data in instead, offering the current data file's name;
// nullopt when the user cancels. Tests hand the commands a scripted answer.
using AskSavePath = std::function<std::optional<std::filesystem::path>(
    QWidget* parent, const std::filesystem::path& current)>;
// The program's own: a file dialog in Russian that confirms replacing a file, opening in the
// folder last chosen in it (kept in the settings, which may be null) or the home folder.
[[nodiscard]] AskSavePath StandardAskSavePath(QSettings* settings);

class CDocumentCommands final : public QObject {
    Q_OBJECT
public:
    // The lock is the program's hold on the data file; it moves with a save elsewhere. The
    // settings, when given, keep the sizes the user gives the history and the accounts.
    CDocumentCommands(CVerdalonDoc& doc, IPlatform& platform, CDataFileLock& lock,
                      QSettings* settings, QWidget* window);

    [[nodiscard]] QAction* SaveAction() const { return m_actSave; }
    [[nodiscard]] QAction* HistoryAction() const { return m_actHistory; }
    [[nodiscard]] QAction* AccountsAction() const { return m_actAccounts; }

    // Save is there only while something is unsaved.
    void UpdateCommands();

    // Writes a modified document. A file changed from outside is overwritten only on the
    // user's word, else the data may go to another file; so may they when the write fails.
    // True when nothing unsaved remains.
    bool OnFileSave();
    void SetAskSavePath(AskSavePath ask) { m_askSavePath = std::move(ask); }
    void OnHistory();
    void OnAccounts();
    // Merges a version of the data file another program wrote, when one can be; true when one
    // was, so that a save that met it goes on without a question.
    void SetTakeInOutside(std::function<bool()> takeIn) { m_takeInOutside = std::move(takeIn); }
    [[nodiscard]] bool TakeInOutside() const { return m_takeInOutside && m_takeInOutside(); }
    // After a save: tells the user, once per run, that it could keep no backup.
    void TellMissedBackup();

private:
    // A save that met a failure or an outside change, settled with the user.
    bool SaveOrSettle();
    // The failure said, and saving elsewhere offered.
    bool OfferAfterFailure();
    // Asks for another file until the data are there or the user gives up.
    bool SaveElsewhere();

    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    CDataFileLock& m_lock;
    AskSavePath m_askSavePath;
    std::function<bool()> m_takeInOutside;
    QSettings* m_pSettings;
    QWidget* m_pWindow;
    QAction* m_actSave;
    QAction* m_actHistory;
    QAction* m_actAccounts;
};

// The message for a failed save: the table's text and, below it, what the system said.
[[nodiscard]] std::u16string SaveFailureText(unsigned textId, const CVerdalonDoc& doc);

} // namespace tamblero
