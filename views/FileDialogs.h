// Where the window's file dialogs open: in the folder the user last chose a file in with a
// dialog of the same kind, kept in the window's settings, else in the home folder.
#pragma once

#include <QString>

class QSettings;

namespace tamblero {

// The kinds of file dialog, each remembering its own folder.
enum class FileDialogKind { SaveData, Import, ChartPicture };

// The folder to open in; the home folder when none is kept (no settings, as in tests) or the
// kept one is gone.
[[nodiscard]] QString FileDialogFolder(const QSettings* settings, FileDialogKind kind);
// Keeps the folder of the file just chosen.
void RememberFileDialogFolder(QSettings* settings, FileDialogKind kind, const QString& file);

} // namespace tamblero
