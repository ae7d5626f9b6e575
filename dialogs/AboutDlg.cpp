#include "dialogs/AboutDlg.h"

#include "app/core/VersionInfo.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/VersionRecord.h"
#include "resources/StringTable.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace tamblero {

namespace {

QIcon ApplicationIcon(const QWidget& widget) {
    const QString path = QStringLiteral(":/icons/tamblero.svg");
    if (QFile::exists(path)) {
        return QIcon(path);
    }
    if (!QApplication::windowIcon().isNull()) {
        return QApplication::windowIcon();
    }
    return widget.style()->standardIcon(QStyle::SP_ComputerIcon);
}

// Empty when the record cannot be read; the dialog then shows no version.
QString VersionText() {
    CVersionInfo info;
    info.Read(EmbeddedVersionRecord(),
              LanguageIdFromLocaleName(QLocale::system().name().toStdString()));
    return QStr(VersionForDisplay(info.GetFileVersion()));
}

} // namespace

CAboutDlg::CAboutDlg(const std::filesystem::path& dataPath, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QText(IDS_ABOUT_TITLE));
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(ApplicationIcon(*this).pixmap(48, 48));
    icon->setAlignment(Qt::AlignCenter);
    // One line, one blank between the caption and the version.
    const QString version = VersionText();
    auto* versionLine = new QLabel(version.isEmpty() ? QText(IDS_ABOUT_VERSION)
                                                     : QText(IDS_ABOUT_VERSION) + u' ' + version,
                                   this);
    versionLine->setObjectName(QStringLiteral("version"));
    versionLine->setTextFormat(Qt::PlainText);
    versionLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* fileCaption = new QLabel(QText(IDS_ABOUT_DATA_FILE), this);
    fileCaption->setTextFormat(Qt::PlainText);
    auto* file = new QLabel(QFile::decodeName(dataPath.c_str()), this);
    file->setObjectName(QStringLiteral("dataPath"));
    file->setTextFormat(Qt::PlainText);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon);
    layout->addWidget(versionLine);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(fileCaption);
    layout->addWidget(file);
    layout->addWidget(AddButtons(*this, false));
    // Nothing in it grows, so it keeps the size of its text, and the title's.
    const QSize hint = sizeHint();
    setFixedSize(std::max(hint.width(), TitleBarWidth(*this)), hint.height());
}

} // namespace tamblero
