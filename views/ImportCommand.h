// The window's import: a CSV file picked in a dialog, read and checked whole, a summary
// answered Yes or No, and only then any change to the document.
#pragma once

#include "app/platform/Platform.h"

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

class QAction;
class QSettings;
class QWidget;

namespace tamblero {

class CVerdalonDoc;
struct CsvImportError;

class CImportCommand final : public QObject {
    Q_OBJECT
public:
    // The file to read, or nothing when the user cancels; tests hand in their own.
    using AskFile = std::function<std::optional<std::filesystem::path>(QWidget* parent)>;

    // imported runs after rows were recorded, for the window to show them.
    CImportCommand(CVerdalonDoc& doc, IPlatform& platform, QWidget* window,
                   std::function<void()> imported);

    [[nodiscard]] QAction* Action() const { return m_action; }
    void SetAskFile(AskFile askFile) { m_askFile = std::move(askFile); }

    // Answers whether rows were recorded.
    bool OnImport();

private:
    CVerdalonDoc& m_doc;
    IPlatform& m_platform;
    QWidget* m_pWindow;
    std::function<void()> m_imported;
    AskFile m_askFile;
    QAction* m_action;
};

// The program's own file dialog, opening in the folder last chosen in it (kept in the
// settings, which may be null) or the home folder.
[[nodiscard]] CImportCommand::AskFile StandardAskFile(QSettings* settings);
// The message for a refused file: its name, the line and the reason.
[[nodiscard]] QString ImportRefusedText(const QString& fileName, const CsvImportError& error);

} // namespace tamblero
