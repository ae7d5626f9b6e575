#include "dialogs/AboutDlg.h"

#include "app/core/VersionInfo.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/VersionRecord.h"
#include "resources/StringTable.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QStyle>
#include <QVBoxLayout>

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

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Text(IDS_ABOUT_TITLE));
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(ApplicationIcon(*this).pixmap(48, 48));
    icon->setAlignment(Qt::AlignCenter);
    auto* caption = new QLabel(Text(IDS_ABOUT_VERSION), this);
    caption->setTextFormat(Qt::PlainText);
    auto* version = new QLabel(VersionText(), this);
    version->setObjectName(QStringLiteral("version"));
    version->setTextFormat(Qt::PlainText);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(version, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon);
    layout->addLayout(row);
    layout->addWidget(AddButtons(*this, false));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace tamblero
