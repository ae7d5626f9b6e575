#include "views/ImportCommand.h"

#include "app/core/CsvImport.h"
#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QWidget>

namespace tamblero {

namespace {

QString Text(unsigned id) {
    return QStr(LoadString(id));
}

QString FileName(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.filename().string()));
}

QString Day(IPlatform& platform, DayNumber day) {
    return QStr(platform.FormatDate(DateFromDayNumber(day), u"d MMM yyyy"));
}

} // namespace

CImportCommand::AskFile StandardAskFile() {
    return [](QWidget* parent) -> std::optional<std::filesystem::path> {
        const QString file = QFileDialog::getOpenFileName(parent, Text(IDS_IMPORT_TITLE), QString(),
                                                          Text(IDS_IMPORT_FILTER));
        if (file.isEmpty()) {
            return std::nullopt;
        }
        return std::filesystem::path(QFile::encodeName(file).toStdString());
    };
}

QString ImportRefusedText(const QString& fileName, const CsvImportError& error) {
    using Kind = CsvImportError::Kind;
    const QString field = QString::fromStdString(error.text);
    QString reason;
    switch (error.kind) {
    case Kind::Header:
        reason = Text(IDS_IMPORT_BAD_HEADER);
        break;
    case Kind::Quotes:
        reason = Text(IDS_IMPORT_BAD_QUOTES);
        break;
    case Kind::ColumnCount:
        reason = Text(IDS_IMPORT_BAD_COLUMNS).arg(field);
        break;
    case Kind::Date:
        reason = Text(IDS_IMPORT_BAD_DATE).arg(field);
        break;
    case Kind::BadAmount:
        reason = Text(IDS_IMPORT_BAD_AMOUNT).arg(field);
        break;
    case Kind::EmptyCategory:
        reason = Text(IDS_IMPORT_EMPTY_CATEGORY);
        break;
    case Kind::TooManyAccounts:
        reason = Text(IDS_IMPORT_TOO_MANY_ACCOUNTS).arg(field);
        break;
    case Kind::TooDeep:
        reason = Text(IDS_IMPORT_TOO_DEEP).arg(field, QString::number(kMaxGroupDepth));
        break;
    }
    // One pass: a "%2" inside the file's name is not taken for a place to fill.
    return Text(IDS_IMPORT_REFUSED).arg(fileName, QString::number(error.line), reason);
}

CImportCommand::CImportCommand(CVerdalonDoc& doc, IPlatform& platform, QWidget* window,
                               std::function<void()> imported)
    : QObject(window), m_doc(doc), m_platform(platform), m_pWindow(window),
      m_imported(std::move(imported)), m_askFile(StandardAskFile()),
      m_action(new QAction(Text(IDS_MENU_IMPORT), this)) {
    connect(m_action, &QAction::triggered, this, [this] { OnImport(); });
}

bool CImportCommand::OnImport() {
    const std::optional<std::filesystem::path> path = m_askFile(m_pWindow);
    if (!path) {
        return false;
    }
    const QString name = FileName(*path);
    const auto tell = [this](const QString& text, const char16_t* caption, MsgIcon icon) {
        m_platform.MessageBox(U16(text), caption, MsgButtons::Ok, icon);
    };

    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(*path, bytes, error)) {
        tell(Text(IDS_IMPORT_CANNOT_READ).arg(name) + QStringLiteral("\n\n") +
                 QString::fromStdString(error),
             kCaptionError, MsgIcon::Error);
        return false;
    }
    CsvImportError bad;
    const std::optional<CCsvImport> import = CCsvImport::Prepare(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), m_doc, bad);
    if (!import) {
        tell(ImportRefusedText(name, bad), kCaptionError, MsgIcon::Error);
        return false;
    }
    const CsvImportSummary& summary = import->Summary();
    if (summary.entries == 0) {
        tell(Text(IDS_IMPORT_NOTHING).arg(name), kCaptionInfo, MsgIcon::Information);
        return false;
    }

    // One pass: a "%2" inside the file's name is not taken for a place to fill.
    QString question = Text(IDS_IMPORT_SUMMARY)
                           .arg(name, QString::number(summary.entries),
                                QString::number(summary.total),
                                Day(m_platform, summary.days->first),
                                Day(m_platform, summary.days->last),
                                QString::number(summary.newAccounts),
                                QString::number(summary.newGroups),
                                QString::number(summary.newArticles));
    if (summary.negativeAccounts > 0) {
        question += QStringLiteral("\n") + Text(IDS_IMPORT_NEGATIVE).arg(summary.negativeAccounts);
    }
    question += QStringLiteral("\n\n") + Text(IDS_IMPORT_CONFIRM);
    if (m_platform.MessageBox(U16(question), kCaptionQuestion, MsgButtons::YesNo,
                              MsgIcon::Question) != MsgResult::Yes) {
        return false;
    }
    // Only accounts made since the check could stop it, and a modal question leaves no
    // room for that; should it happen, nothing has changed.
    if (!import->Apply(m_doc)) {
        tell(Text(IDS_TOO_MANY_ACCOUNTS), kCaptionError, MsgIcon::Error);
        return false;
    }
    if (m_imported) {
        m_imported();
    }
    return true;
}

} // namespace tamblero
