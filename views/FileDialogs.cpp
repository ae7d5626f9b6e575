#include "views/FileDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace tamblero {

namespace {

QString Key(FileDialogKind kind) {
    switch (kind) {
    case FileDialogKind::SaveData:
        return QStringLiteral("fileDialogs/saveData");
    case FileDialogKind::Import:
        return QStringLiteral("fileDialogs/import");
    case FileDialogKind::ChartPicture:
        break;
    }
    return QStringLiteral("fileDialogs/chartPicture");
}

} // namespace

QString FileDialogFolder(const QSettings* settings, FileDialogKind kind) {
    if (settings != nullptr) {
        const QString kept = settings->value(Key(kind)).toString();
        if (!kept.isEmpty() && QFileInfo(kept).isDir()) {
            return kept;
        }
    }
    return QDir::homePath();
}

void RememberFileDialogFolder(QSettings* settings, FileDialogKind kind, const QString& file) {
    if (settings != nullptr && !file.isEmpty()) {
        settings->setValue(Key(kind), QFileInfo(file).absolutePath());
    }
}

} // namespace tamblero
