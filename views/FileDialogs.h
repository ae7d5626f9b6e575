// The window's file dialogs: Qt's own, so they speak the window's language whatever the
// desktop's, each opening in the folder the user last chose a file in with a dialog of the
// same kind, kept in the window's settings, else in the home folder.
#pragma once

#include <QString>

class QSettings;
class QWidget;

namespace tamblero {

// The kinds of file dialog, each with its title and filters and remembering its own folder.
enum class FileDialogKind { SaveData, Import, ChartPicture, Statement };

// Asks for a file of the kind: one to save in for SaveData and ChartPicture (offering
// `offered`, confirming a replacement, adding the chosen filter's ending to a name typed
// without one), an existing one to read for Import and Statement. Settings may be null, as in
// tests: then no folder is kept. Empty when the user cancels.
[[nodiscard]] QString AskFileName(QWidget* parent, QSettings* settings, FileDialogKind kind,
                                  const QString& offered = QString());

} // namespace tamblero
