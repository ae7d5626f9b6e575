#include "views/ImportCommand.h"

#include "app/core/CsvImport.h"
#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"
#include "storage/FileIO.h"
#include "storage/VerdalonDoc.h"
#include "views/FileDialogs.h"

#include <QAction>
#include <QFile>
#include <QWidget>

#include <array>
#include <cstddef>

namespace tamblero {

namespace {

QString FileName(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.filename().string()));
}

QString Day(IPlatform& platform, DayNumber day) {
    return QStr(platform.FormatDate(DateFromDayNumber(day), u"d MMM yyyy"));
}

} // namespace

CImportCommand::AskFile StandardAskFile(QSettings* settings) {
    return [settings](QWidget* parent) -> std::optional<std::filesystem::path> {
        const QString file = AskFileName(parent, settings, FileDialogKind::Import);
        if (file.isEmpty()) {
            return std::nullopt;
        }
        return std::filesystem::path(QFile::encodeName(file).toStdString());
    };
}

namespace {

// The reason of each kind of refusal, in the order of CsvImportError::Kind.
constexpr std::array kRefusalTexts{
    IDS_IMPORT_BAD_HEADER,         IDS_IMPORT_BAD_QUOTES,        IDS_IMPORT_BAD_COLUMNS,
    IDS_IMPORT_BAD_DATE,           IDS_IMPORT_BAD_AMOUNT,        IDS_IMPORT_EMPTY_CATEGORY,
    IDS_IMPORT_TOO_MANY_ACCOUNTS,  IDS_IMPORT_TOO_DEEP,          IDS_IMPORT_NOT_UTF8,
    IDS_IMPORT_UNNAMEABLE_ACCOUNT, IDS_IMPORT_ACCOUNTS_OVERFULL, IDS_IMPORT_BALANCE_RANGE,
    IDS_IMPORT_TOTAL_RANGE};
static_assert(kRefusalTexts.size() ==
              static_cast<std::size_t>(CsvImportError::Kind::TotalRange) + 1);

} // namespace

QString ImportRefusedText(const QString& fileName, const CsvImportError& error) {
    const QString field = QString::fromStdString(error.text);
    QString reason = QText(kRefusalTexts.at(static_cast<std::size_t>(error.kind)));
    // The texts that quote the offending field hold a place for it; some also name a
    // number: the depth's limit, the account's place, the accounts held, the sum reached.
    const QString number = QString::number(error.number);
    switch (error.kind) {
    case CsvImportError::Kind::TooDeep:
        reason = reason.arg(field, QString::number(kMaxGroupDepth));
        break;
    case CsvImportError::Kind::UnnameableAccount:
    case CsvImportError::Kind::AccountsOverfull:
    case CsvImportError::Kind::BalanceRange:
        reason = reason.arg(field, number);
        break;
    case CsvImportError::Kind::TotalRange:
        reason = reason.arg(number);
        break;
    default:
        if (reason.contains(u"%1")) {
            reason = reason.arg(field);
        }
        break;
    }
    // One pass: a "%2" inside the file's name is not taken for a place to fill.
    return QText(IDS_IMPORT_REFUSED).arg(fileName, QString::number(error.line), reason);
}

CImportCommand::CImportCommand(CVerdalonDoc& doc, IPlatform& platform, QWidget* window,
                               std::function<void()> imported)
    : QObject(window), m_doc(doc), m_platform(platform), m_pWindow(window),
      m_imported(std::move(imported)), m_askFile(StandardAskFile(nullptr)),
      m_action(new QAction(QText(IDS_MENU_IMPORT), this)) {
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
    Reason error;
    switch (ReadFileBytes(*path, bytes, error, ReadLimit{kMaxCsvBytes, {}})) {
    case FileRead::Done:
        break;
    case FileRead::TooLarge:
        tell(QText(IDS_IMPORT_TOO_LARGE).arg(name, QString::number(kMaxCsvBytes)), kCaptionError,
             MsgIcon::Error);
        return false;
    case FileRead::Missing:
    case FileRead::Refused:
        tell(QText(IDS_IMPORT_CANNOT_READ).arg(name) + QStringLiteral("\n\n") +
                 QStr(ReasonText(error)),
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
        tell(QText(IDS_IMPORT_NOTHING).arg(name), kCaptionInfo, MsgIcon::Information);
        return false;
    }

    // One pass: a "%2" inside the file's name is not taken for a place to fill.
    QString question =
        QText(IDS_IMPORT_SUMMARY)
            .arg(name, QString::number(summary.entries), QString::number(summary.total),
                 Day(m_platform, summary.days->first), Day(m_platform, summary.days->last),
                 QString::number(summary.newAccounts), QString::number(summary.newGroups),
                 QString::number(summary.newArticles));
    if (summary.negativeAccounts > 0) {
        question += QStringLiteral("\n") + QText(IDS_IMPORT_NEGATIVE).arg(summary.negativeAccounts);
    }
    question += QStringLiteral("\n\n") + QText(IDS_IMPORT_CONFIRM);
    if (m_platform.MessageBox(U16(question), kCaptionQuestion, MsgButtons::YesNo,
                              MsgIcon::Question) != MsgResult::Yes) {
        return false;
    }
    // Only accounts or balances changed since the check could stop it, and a modal
    // question leaves no room for that; should it happen, nothing has changed.
    if (!import->Apply(m_doc, bad)) {
        tell(ImportRefusedText(name, bad), kCaptionError, MsgIcon::Error);
        return false;
    }
    // An import is no change that can be undone, and the earlier ones may not be undone
    // past it: they are forgotten.
    m_doc.ForgetChanges();
    if (m_imported) {
        m_imported();
    }
    return true;
}

} // namespace tamblero
