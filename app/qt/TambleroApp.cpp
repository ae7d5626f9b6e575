#include "app/qt/TambleroApp.h"

#include "app/platform/Utf.h"
#include "app/qt/EndRequests.h"
#include "app/qt/QtPlatform.h"
#include "dialogs/MergeFollower.h"
#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"
#include "storage/FileIO.h"
#include "storage/SaveGuard.h"
#include "storage/VerdalonDoc.h"
#include "views/MainFrame.h"

#include "dialogs/AboutDlg.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace tamblero {

namespace {

// The options a user may give; the test hook "--test-add-article" is left out on purpose.
const char* const kUsageText =
    "Usage: tamblero [Qt options] [--quit-after-start] [FILE]\n"
    "\n"
    "A personal expense tracker: a tree of expense categories and what each spent per\n"
    "day, week, month and year. The window speaks Russian.\n"
    "\n"
    "  FILE                the data file (default: QZData.dat beside the executable\n"
    "                      when it exists, else in $XDG_DATA_HOME/tamblero/, by\n"
    "                      default ~/.local/share/tamblero/); made at the first save\n"
    "  --quit-after-start  start, read the data file, show the window and close it\n"
    "  --help, -h          this text\n"
    "\n"
    "tamblero-cli reports, exports and imports the same data file from a terminal.\n";

bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

StartOptions ParseStartOptions(const QStringList& arguments) {
    StartOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QStringLiteral("--quit-after-start")) {
            options.quitAfterStart = true;
        } else if (arg.startsWith(QStringLiteral("--test-add-article="))) {
            options.testArticle = U16(arg.mid(qsizetype(sizeof "--test-add-article=") - 1));
        } else if (!options.dataPath && !arg.startsWith(QStringLiteral("--"))) {
            options.dataPath =
                std::filesystem::path(QFileInfo(arg).absoluteFilePath().toStdU16String());
        }
    }
    return options;
}

CTambleroApp::CTambleroApp(IPlatform& platform, QSettings* settings)
    : m_platform(platform), m_pSettings(settings) {}

CTambleroApp::~CTambleroApp() = default;

void CTambleroApp::InstallQtTranslation() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!m_qtTranslator.load(QStringLiteral("qtbase_ru"), folder)) {
        std::fprintf(stderr,
                     "tamblero: Qt's Russian texts are missing in %s "
                     "(package qt6-translations-l10n); Qt's dialogs speak English\n",
                     folder.toLocal8Bit().constData());
        return;
    }
    QCoreApplication::installTranslator(&m_qtTranslator);
}

bool CTambleroApp::InitInstance(const StartOptions& options) {
    InstallQtTranslation();
    // Links are followed once, here, so that the lock lies beside the real file as the
    // saves do; a link to nothing ends the start before anything is made beside it.
    const std::filesystem::path chosen = ChooseDataPath(m_platform, options.dataPath);
    if (chosen.empty()) {
        // No home: a file beside the executable would be every user's, so the user names one.
        m_platform.MessageBox(LoadString(IDS_NO_HOME), kCaptionError, MsgButtons::Ok,
                              MsgIcon::Error);
        return false;
    }
    std::filesystem::path dataPath;
    // The lock file needs the folder now. Should it fail, the warnings below name the folder
    // that takes no files, so its reason adds nothing.
    std::string unused;
    static_cast<void>(MakeUserDataFolderFor(m_platform, chosen, unused));
    Reason error;
    if (!ResolveDataPath(chosen, dataPath, error)) {
        m_platform.MessageBox(UnreadableFileText(chosen, error), kCaptionError, MsgButtons::Ok,
                              MsgIcon::Error);
        return false;
    }
    std::u16string noLock;
    switch (m_lock.TryLock(dataPath)) {
    case CDataFileLock::Result::Locked:
        break;
    case CDataFileLock::Result::InUse:
        m_platform.MessageBox(LoadString(IDS_DATA_FILE_IN_USE), kCaptionError, MsgButtons::Ok,
                              MsgIcon::Error);
        return false;
    case CDataFileLock::Result::Unavailable:
        // No reason to stop, but the user must know that nothing keeps a second copy off
        // the file; said once the window is up.
        noLock = LoadString(IDS_NO_LOCK_POSSIBLE) + u"\n" +
                 Utf16FromUtf8(dataPath.parent_path().string()) + u"\n\n" +
                 ReasonText(m_lock.GetReason());
        break;
    }
    m_pDoc = std::make_unique<CVerdalonDoc>(m_platform);
    m_pFrame = std::make_unique<CMainFrame>(m_platform, *m_pDoc, m_lock, m_pSettings);
    connect(m_pFrame->Action(CMainFrame::Command::About), &QAction::triggered, this,
            &CTambleroApp::OnAppAbout);
    // The first-run questions come over the window, so it is up before the data file is read.
    m_pFrame->show();
    if (!m_pDoc->OnNewDocument(dataPath)) {
        return false;
    }
    m_pFrame->OnInitialUpdate();
    m_pFrame->show();
    m_pFrame->raise();
    // Over the filled window: what cannot be saved there is in view. A folder that takes no
    // files at all is the one thing to say: no second copy could write there either.
    if (!WarnIfFolderTakesNoFiles(m_platform, m_pDoc->GetDataPath()) && !noLock.empty()) {
        m_platform.MessageBox(noLock, kCaptionError, MsgButtons::Ok, MsgIcon::Exclamation);
    }
    return true;
}

void CTambleroApp::OnAppAbout() {
    CAboutDlg dlg(m_pDoc->GetDataPath(), m_pFrame.get());
    new CMergeFollower(*m_pDoc, dlg, {}); // it shows nothing a merge changes
    dlg.exec();
}

bool CTambleroApp::SaveWithoutQuestions() {
    // A signal or the end of the session closes no window: its view is kept here.
    if (m_pFrame) {
        m_pFrame->SaveViewState();
    }
    if (!m_pDoc || m_pDoc->SaveModified()) {
        return true;
    }
    std::fprintf(stderr, "tamblero: the changes were not saved: %s\n",
                 m_pDoc->GetLastError().c_str());
    return false;
}

void CTambleroApp::OnEndRequested() {
    m_bEndRequested = true;
    // Every event loop ends, a modal dialog's too; the main one is told at start-up.
    QCoreApplication::exit(0);
}

int CTambleroApp::Run(int argc, char** argv, const std::function<void(CTambleroApp&)>& started) {
    // Before Qt starts: the usage needs no display.
    if (AsksForHelp(argc, argv)) {
        std::fputs(kUsageText, stdout);
        return 0;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamblero"));
    QApplication::setDesktopFileName(QStringLiteral("tamblero"));
    CQtPlatform platform;
    // Qt's own widgets (date pickers, the file dialogs' dates) write dates as the window does.
    QLocale::setDefault(platform.Locale());
    // The window's looks, never the data: "~/.config/tamblero/tamblero.ini".
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tamblero"),
                       QStringLiteral("tamblero"));
    CTambleroApp app(platform, &settings);
    // Caught before start-up: a request during the first-run questions waits for the loop.
    CEndRequests endRequests;
    connect(&endRequests, &CEndRequests::endRequested, &app, &CTambleroApp::OnEndRequested);
    connect(&endRequests, &CEndRequests::saveRequested, &app,
            [&app] { app.SaveWithoutQuestions(); });
    const StartOptions options = ParseStartOptions(QApplication::arguments());
    if (!app.InitInstance(options)) {
        return 1;
    }
    if (options.testArticle) {
        app.Document()->GetRoot()->AddArticle(*options.testArticle);
        app.Document()->MarkChanged();
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
    }
    if (started) {
        started(app);
    }
    // QApplication::exec forgets an exit asked for before it ran.
    if (app.EndRequested()) {
        return app.EndBySaving();
    }
    if (options.quitAfterStart) {
        QTimer::singleShot(0, app.MainFrame(), &QWidget::close);
    }
    const int code = QApplication::exec();
    return app.EndRequested() ? app.EndBySaving() : code;
}

} // namespace tamblero
