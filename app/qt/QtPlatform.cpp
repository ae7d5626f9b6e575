#include "app/qt/QtPlatform.h"

#include "storage/DeviceFile.h"

#include "app/platform/UserDatabase.h"
#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"
#include <QDateTime>

#include <QApplication>
#include <QDate>
#include <QDeadlineTimer>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

#include <cstdlib>
#include <system_error>
#include <utility>

namespace tamblero {

namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString TimeLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty()) {
            return value;
        }
    }
    return {};
}

QLocale WindowLocale(const QString& name) {
    // "ru_RU.UTF-8@euro" names its language in "ru_RU".
    const QString base = name.section(u'.', 0, 0).section(u'@', 0, 0);
    if (base.isEmpty() || base == u"C" || base == u"POSIX") {
        return QLocale(QLocale::Russian, QLocale::Russia);
    }
    const QLocale locale(base);
    // A name Qt does not know gives its C locale, which is no language either.
    return locale.language() == QLocale::C ? QLocale(QLocale::Russian, QLocale::Russia) : locale;
}

CQtPlatform::CQtPlatform(QLocale locale) : m_locale(std::move(locale)) {}

MsgResult CQtPlatform::MessageBox(const std::u16string& text, const std::u16string& caption,
                                  MsgButtons buttons, MsgIcon icon, MsgDefault defaultButton) {
    // Centred over whatever window is in front, so the box never hides behind it.
    QMessageBox box(ToQtIcon(icon), caption.empty() ? QStr(kAppTitle) : QStr(caption), QStr(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    if (buttons != MsgButtons::Ok) {
        QPushButton* yes = box.addButton(QText(IDS_BUTTON_YES), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QText(IDS_BUTTON_NO), QMessageBox::NoRole);
        QPushButton* cancel = buttons == MsgButtons::YesNoCancel
                                  ? box.addButton(QText(IDS_DLG_CANCEL), QMessageBox::RejectRole)
                                  : nullptr;
        box.setDefaultButton(defaultButton == MsgDefault::No ? no : yes);
        box.setEscapeButton(cancel != nullptr ? cancel : no);
        box.exec();
        // A box closed without a click (the program ending under it) answers as Escape.
        QAbstractButton* clicked = box.clickedButton();
        if (clicked == yes) {
            return MsgResult::Yes;
        }
        return clicked == no || cancel == nullptr ? MsgResult::No : MsgResult::Cancel;
    }
    QPushButton* ok = box.addButton(QText(IDS_DLG_OK), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return MsgResult::Ok;
}

CalendarDate CQtPlatform::Today() const {
    const QDate d = QDate::currentDate();
    return {d.year(), d.month(), d.day(), d.dayOfWeek() % 7};
}

std::u16string CQtPlatform::FormatDate(const CalendarDate& date,
                                       const std::u16string& picture) const {
    // Qt's pictures spell "d", "ddd", "MMM" and "yyyy" the same way; Qt has no element for a
    // month standing alone, so "LLL" goes in as quoted text.
    QString alone = m_locale.standaloneMonthName(date.month, QLocale::ShortFormat);
    alone.replace(u'\'', QStringLiteral("''"));
    const QString qtPicture = QStr(picture).replace(QStringLiteral("LLL"), u'\'' + alone + u'\'');
    return U16(m_locale.toString(QDate(date.year, date.month, date.day), qtPicture));
}

std::filesystem::path CQtPlatform::ExecutablePath() const {
    return QCoreApplication::applicationFilePath().toStdU16String();
}

bool CQtPlatform::FileExists(const std::filesystem::path& path) const {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::optional<std::string> CQtPlatform::Environment(const char* name) const {
    // The bytes as they are: a path in the environment need not be valid UTF-8.
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::string> CQtPlatform::HomeFromUserDatabase() const {
    return UserDatabaseHome();
}

std::int64_t CQtPlatform::NowMillis() const {
    return QDateTime::currentMSecsSinceEpoch();
}

std::uint64_t CQtPlatform::ThisDevice() {
    if (m_nDevice == 0) {
        m_nDevice = LoadOrMakeDeviceId(*this);
    }
    return m_nDevice;
}

HelperRun CQtPlatform::RunHelper(const std::filesystem::path& program,
                                 const std::vector<std::string>& args, const HelperLimits& limits) {
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QStringList arguments;
    for (const std::string& arg : args) {
        arguments << QString::fromStdString(arg);
    }
    const QDeadlineTimer deadline(limits.timeoutMillis);
    process.start(QString::fromStdString(program.string()), arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(static_cast<int>(deadline.remainingTime()))) {
        return HelperRun{HelperEnd::NotStarted, 0, {}, process.errorString().toStdString()};
    }
    HelperRun run;
    const auto killed = [&process](HelperEnd end) {
        process.kill();
        process.waitForFinished(-1);
        return HelperRun{end, 0, {}, {}};
    };
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) {
            return killed(HelperEnd::TimedOut);
        }
        process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        const QByteArray got = process.readAllStandardOutput();
        if (run.output.size() + static_cast<std::size_t>(got.size()) > limits.maxOutputBytes) {
            return killed(HelperEnd::TooMuchOutput);
        }
        run.output.append(got.constData(), static_cast<std::size_t>(got.size()));
    }
    const QByteArray rest = process.readAllStandardOutput();
    if (run.output.size() + static_cast<std::size_t>(rest.size()) > limits.maxOutputBytes) {
        return HelperRun{HelperEnd::TooMuchOutput, 0, {}, {}};
    }
    run.output.append(rest.constData(), static_cast<std::size_t>(rest.size()));
    if (process.exitStatus() == QProcess::CrashExit) {
        return HelperRun{HelperEnd::Crashed, 0, {}, {}};
    }
    run.end = HelperEnd::Exited;
    run.exitCode = process.exitCode();
    return run;
}

} // namespace tamblero
