#include "gui/App.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>

#include "console/About.h"
#include "gui/CommandLine.h"
#include "gui/FontConfiguration.h"
#include "gui/MainWindow.h"
#include "gui/PaintWatch.h"
#include "gui/SplashWindow.h"
#include "gui/Widgets.h"
#include "state/DataFolder.h"
#include "state/LessonsCopy.h"

namespace pellix::gui {

namespace {

// Help, version or a wrong command line: the exit status, or nothing to
// go on.
std::optional<int> AnswerCommandLine(const CommandLine& line) {
    switch (line.action) {
        case CommandLine::Action::Help:
            fputs(kHelp, stdout);
            return 0;
        case CommandLine::Action::Version:
            fputs(about::VersionText("pellix").c_str(), stdout);
            return 0;
        case CommandLine::Action::BadUsage:
            fputs(about::BadUsageText("pellix", line.problem, kSynopsis).c_str(), stderr);
            return about::kBadUsage;
        case CommandLine::Action::Run:
            break;
    }
    return std::nullopt;
}

// The learner's folder made ready, the lessons beside it; false (said on
// standard error for a shell or a script, in a dialog for a learner who
// started it from the menu) when it cannot be.
bool PrepareFolder(const std::filesystem::path& folder, const CommandLine& line) {
    std::string error = PrepareLearnerFolder(folder, CreationFor(line.dir));
    if (!error.empty()) {
        fprintf(stderr, "pellix: %s\n", error.c_str());
        QMessageBox::critical(
            nullptr, "Pellix",
            "Pellix cannot prepare its data folder:\n" + QString::fromStdString(error));
        return false;
    }
    // The lessons the welcome text names, beside the learner's files.
    if (auto program = RunningProgramFile())
        if (auto page = InstalledLessonsPage(*program))
            if (std::string problem = PlaceLessonsPage(folder, *page); !problem.empty())
                fprintf(stderr, "pellix: %s\n", problem.c_str());
    return true;
}

// Ends the event loop at once, without asking the windows to close again.
void EndLoop() {
    QCoreApplication::exit(0);
}

// For start-up measurements: end once a window has shown, or press Start at
// once and stay.
void WatchStartUp(SplashWindow* splash, const CommandLine& line) {
    if (line.quitAfterShow == "splash") {
        AfterFirstPaint(splash, EndLoop);
    } else if (line.quitAfterShow == "splash-settled") {
        AfterPaintSettles(splash, 300, EndLoop);
    } else if (line.openMain) {
        AfterFirstPaint(splash, [splash] { splash->StartPressed(); });
    } else if (line.quitAfterShow == "main") {
        AfterFirstPaint(splash, [splash] {
            splash->StartPressed();
            AfterFirstPaint(splash->Main(), EndLoop);
        });
    }
}

}  // namespace

int RunPellix(int argc, char** argv) {
    QCoreApplication::setApplicationName("pellix");
    QCoreApplication::setApplicationVersion(PELLIX_VERSION);

    // The command line is read before any window system is touched, so that
    // --help, --version and a wrong option need no display.
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (std::optional<int> status = AnswerCommandLine(line)) return *status;

    // Before the window system asks fontconfig for the first font.
    StartFontConfiguration();
    // Qt takes its own options (-platform, -style ...) out.
    QApplication app(argc, argv);

    QGuiApplication::setDesktopFileName("pellix");
    InitResources();
    QApplication::setWindowIcon(ProgramIcon());

    std::filesystem::path folder = LearnerFolder(line.dir);
    if (!PrepareFolder(folder, line)) return 1;

    SplashWindow splash(folder);
    splash.SetHints(line.hints);
    QObject::connect(&splash, &SplashWindow::finished, &app, EndLoop, Qt::QueuedConnection);
    splash.show();
    WatchStartUp(&splash, line);
    int status = app.exec();
    // A score that could not be saved is not a success.
    if (status == 0 && splash.Main() && !splash.Main()->ScoreSaved()) return 1;
    return status;
}

}  // namespace pellix::gui
