// The program: start-up in a fixed order (document, window, data file, views,
// show) and the About command.
#pragma once

#include "app/platform/Platform.h"
#include "storage/DataFileLock.h"

#include <QObject>
#include <QStringList>
#include <QTranslator>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QSettings;

namespace tamblero {

class CMainFrame;
class CVerdalonDoc;

// What the command line asks for: a data file, and for the smoke test an immediate end.
struct StartOptions {
    std::optional<std::filesystem::path> dataPath;
    bool quitAfterStart = false;
    // "--test-add-article=NAME", for the test that ends the real program with signals and
    // has no display to type on: an article added once started, and "ready" on stdout.
    std::optional<std::u16string> testArticle;
};
[[nodiscard]] StartOptions ParseStartOptions(const QStringList& arguments);

class CTambleroApp final : public QObject {
    Q_OBJECT
public:
    // The window keeps its looks in the settings; none, as in tests, keeps nothing.
    explicit CTambleroApp(IPlatform& platform, QSettings* settings = nullptr);
    ~CTambleroApp() override;

    // Qt's own Russian texts, then the document with today's day span, then the window with the
    // current week, then the data file (or the first-run offer over the window), then the views,
    // then show. False, after saying so, when another running program has the data file.
    bool InitInstance(const StartOptions& options);

    void OnAppAbout();

    // Saves a modified document as the exit command does, but asks nothing: nobody may be
    // there to answer. False, with the reason on stderr, when the data could not be written.
    bool SaveWithoutQuestions();
    // A signal asked the program to end: every event loop is left, and the document is saved
    // once they are all gone, so that a change a nested loop was still making is in it.
    void OnEndRequested();
    // After an end was requested: 0 when the data are saved, 1 when they could not be.
    [[nodiscard]] int EndBySaving() { return SaveWithoutQuestions() ? 0 : 1; }
    [[nodiscard]] bool EndRequested() const { return m_bEndRequested; }

    [[nodiscard]] CVerdalonDoc* Document() const { return m_pDoc.get(); }
    [[nodiscard]] CMainFrame* MainFrame() const { return m_pFrame.get(); }

    // The whole program: Qt, the platform, start-up and the event loop.
    // `started`, where given, runs once the window is up, before the event loop: for a program
    // that drives the same start-up (the tests' window driver).
    static int Run(int argc, char** argv, const std::function<void(CTambleroApp&)>& started = {});

private:
    // The texts Qt draws itself (file dialogs, standard buttons, edit menus) in Russian, the
    // window's language, whatever the system's.
    void InstallQtTranslation();

    IPlatform& m_platform;
    QSettings* m_pSettings;
    // Outlives the window, whose Qt texts it gives.
    QTranslator m_qtTranslator;
    // Held while the program runs, so that a second one cannot overwrite our saves.
    CDataFileLock m_lock;
    // Declared first: the window unregisters its views from the document when it goes.
    std::unique_ptr<CVerdalonDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
    bool m_bEndRequested = false;
};

} // namespace tamblero
