#include "views/FileDialogs.h"

#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace tamblero {

namespace {

// What sets a kind apart: the settings key of its folder, its title and filters, and whether it
// saves or opens.
struct KindTexts {
    const char* key;
    unsigned title;
    unsigned filter;
    bool save;
};

KindTexts TextsOf(FileDialogKind kind) {
    switch (kind) {
    case FileDialogKind::SaveData:
        return {"fileDialogs/saveData", IDS_SAVE_AS_TITLE, IDS_SAVE_AS_FILTER, true};
    case FileDialogKind::Import:
        return {"fileDialogs/import", IDS_IMPORT_TITLE, IDS_IMPORT_FILTER, false};
    case FileDialogKind::Statement:
        return {"fileDialogs/statement", IDS_STATEMENT_TITLE, IDS_STATEMENT_FILE_FILTER, false};
    case FileDialogKind::ChartPicture:
        break;
    }
    return {"fileDialogs/chartPicture", IDS_CHART_SAVE_TITLE, IDS_CHART_SAVE_FILTER, true};
}

// The folder to open in; the home folder when none is kept or the kept one is gone.
QString Folder(const QSettings* settings, const QString& key) {
    if (settings != nullptr) {
        const QString kept = settings->value(key).toString();
        if (!kept.isEmpty() && QFileInfo(kept).isDir()) {
            return kept;
        }
    }
    return QDir::homePath();
}

// The ending a filter such as "Рисунок PNG (*.png)" names; none for "Все файлы (*)".
QString EndingOf(const QString& filter) {
    static const QRegularExpression ending(QStringLiteral(R"(\(\*\.([^ )]+))"));
    return ending.match(filter).captured(1);
}

} // namespace

QString AskFileName(QWidget* parent, QSettings* settings, FileDialogKind kind,
                    const QString& offered) {
    const KindTexts texts = TextsOf(kind);
    const QString key = QString::fromLatin1(texts.key);
    const QString filter = QText(texts.filter);
    QFileDialog dialog(parent, QText(texts.title), Folder(settings, key), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (texts.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(EndingOf(filter.section(QStringLiteral(";;"), 0, 0)));
        dialog.selectFile(offered);
        // A filter without an ending ("Все файлы") keeps the one chosen before.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString& chosen) {
                             if (const QString ending = EndingOf(chosen); !ending.isEmpty()) {
                                 dialog.setDefaultSuffix(ending);
                             }
                         });
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    QString chosen = dialog.selectedFiles().constFirst();
    if (settings != nullptr && !chosen.isEmpty()) {
        settings->setValue(key, QFileInfo(chosen).absolutePath());
    }
    return chosen;
}

} // namespace tamblero
