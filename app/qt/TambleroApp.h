// The program: start-up in a fixed order (document, window, data file, views,
// show) and the About command.
#pragma once

#include "app/core/Platform.h"
#include "storage/DataFileLock.h"

#include <QObject>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <optional>

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
    explicit CTambleroApp(IPlatform& platform);
    ~CTambleroApp() override;

    // Document with today's day span, then the window with the current week, then the
    // data file (or the first-run offer over the window), then the views, then show.
    // False, after saying so, when another running program has the data file.
    bool InitInstance(const StartOptions& options);

    void OnAppAbout();

    // Saves a modified document as the exit command does, but asks nothing: nobody may be
    // there to answer. False, with the reason on stderr, when the data could not be written.
    bool SaveWithoutQuestions();
    // A signal asked the program to end: save without questions, then leave every event loop
    // with 0, or 1 when the data could not be saved.
    void OnEndRequested();
    // Set once an end was requested; start-up checks it before the main event loop runs.
    [[nodiscard]] std::optional<int> EndCode() const { return m_endCode; }

    [[nodiscard]] CVerdalonDoc* Document() const { return m_pDoc.get(); }
    [[nodiscard]] CMainFrame* MainFrame() const { return m_pFrame.get(); }

    // The whole program: Qt, the platform, start-up and the event loop.
    static int Run(int argc, char** argv);

private:
    IPlatform& m_platform;
    // Held while the program runs, so that a second one cannot overwrite our saves.
    CDataFileLock m_lock;
    // Declared first: the window unregisters its views from the document when it goes.
    std::unique_ptr<CVerdalonDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
    std::optional<int> m_endCode;
};

} // namespace tamblero
